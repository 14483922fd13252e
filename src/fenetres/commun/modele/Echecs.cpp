#include "fenetres/commun/modele/Echecs.h"

#include "conversions/Erreur.h"

#include <QFileInfo>

namespace Echecs {

void journaliser(const QLoggingCategory& categorie, const QString& fichier, const std::exception& e)
{
    qCWarning(categorie).noquote() << QFileInfo(fichier).fileName() + QStringLiteral(" : ") + QString::fromUtf8(e.what());
}

QString nomCite(const std::exception& e)
{
    const auto* erreur = dynamic_cast<const Conversions::Erreur*>(&e);
    return erreur && erreur->cas() != Conversions::Erreur::Cas::rien ? erreur->charge() : QString();
}

} // namespace Echecs
