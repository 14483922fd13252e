#include "fenetres/commun/modele/Echecs.h"

#include "conversions/Erreur.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <unistd.h>

namespace Echecs {

void journaliser(const QLoggingCategory& categorie, const QString& fichier, const std::exception& e)
{
    qCWarning(categorie).noquote() << QFileInfo(fichier).fileName() + QStringLiteral(" : ") + QString::fromUtf8(e.what());
}

void dossierInscriptible(const QString& source)
{
    const QString dossier = QFileInfo(source).absolutePath();
    if (::access(QFile::encodeName(dossier).constData(), W_OK | X_OK) == 0)
        return;
    throw Conversions::Erreur::rien(QCoreApplication::translate("Retouches", "Impossible d’écrire dans « %1 »")
                                        .arg(QDir(dossier).dirName()));
}

} // namespace Echecs
