#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <sys/stat.h>

namespace Conversions {

// The name a message quotes: the last component, also of a folder given with a final "/".
inline QString nomDe(const QString& chemin) { return QFileInfo(QDir::cleanPath(chemin)).fileName(); }

// A path as the system's calls take it.
inline QByteArray local(const QString& chemin) { return QFile::encodeName(chemin); }

// A name's bytes as UTF-8 text: as they are when they are UTF-8 already, else read as
// Latin-1, the encoding of old disks' and archives' names. Distinct bytes stay distinct
// names; nothing becomes a replacement character.
QByteArray nomEnUtf8(const QByteArray& octets);

// A regular file or a folder, links followed: a named pipe or a device would block
// whoever opens or reads it, so the engine and the catalogue refuse the rest.
inline bool fichierOuDossier(const QString& chemin)
{
    struct stat st;
    return ::stat(local(chemin).constData(), &st) == 0 && (S_ISREG(st.st_mode) || S_ISDIR(st.st_mode));
}

} // namespace Conversions
