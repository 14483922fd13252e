#include "tesselui/Paquet.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>

namespace Paquet {

static QString aCoteDeLExecutable()
{
    return QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
}

QString principal()
{
    const QString dossier = aCoteDeLExecutable();
    if (!dossier.isEmpty() && QFileInfo(dossier + QStringLiteral("/resources")).isDir())
        return dossier + QStringLiteral("/resources");
    return QStringLiteral(VEMO_RESSOURCES_SOURCE);
}

QString module(const QString& nom)
{
    const QString executable = aCoteDeLExecutable();
    QStringList candidats;
    if (!executable.isEmpty())
        candidats << executable + QStringLiteral("/resources");
    candidats << QStringLiteral(VEMO_RESSOURCES_SOURCE);
    if (!executable.isEmpty())
        candidats << executable;
    for (const QString& c : candidats) {
        const QString chemin = c + QLatin1Char('/') + nom;
        if (QFileInfo(chemin).isDir())
            return chemin;
    }
    qFatal("unable to find bundle named %s", qPrintable(QFileInfo(nom).completeBaseName()));
}

QStringList polices(const QString& dossier)
{
    QStringList fichiers;
    const QFileInfoList entrees = QDir(dossier).entryInfoList({QStringLiteral("*.ttf")}, QDir::Files, QDir::Name);
    for (const QFileInfo& f : entrees)
        fichiers << f.absoluteFilePath();
    return fichiers;
}

void inscrire(const QStringList& fichiers)
{
    for (const QString& f : fichiers)
        QFontDatabase::addApplicationFont(f);
}

} // namespace Paquet
