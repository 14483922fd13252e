#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <sys/stat.h>

namespace Conversions {

// The name a message quotes: the last component, also of a folder given with a final "/".
inline QString nomDe(const QString& chemin) { return QFileInfo(QDir::cleanPath(chemin)).fileName(); }

// The name of one output made of several items: "a et 2 autres". One pass of arg(): markers
// such as "%1" in the base name stay as they are.
inline QString nomDeLot(const QString& base, qsizetype autres)
{
    return QCoreApplication::translate("Conversions", "%1 et %2 autres").arg(base, QString::number(autres));
}

// A path as the system's calls take it.
inline QByteArray local(const QString& chemin) { return QFile::encodeName(chemin); }

// A regular file or a folder, links followed: a named pipe or a device would block
// whoever opens or reads it, so the engine and the catalogue refuse the rest.
inline bool fichierOuDossier(const QString& chemin)
{
    struct stat st;
    return ::stat(local(chemin).constData(), &st) == 0 && (S_ISREG(st.st_mode) || S_ISDIR(st.st_mode));
}

} // namespace Conversions
