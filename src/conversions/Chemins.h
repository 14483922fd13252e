#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <optional>

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

// Paths are text, but a file's name on the disk is bytes, not always UTF-8 (Latin-1 names
// from old disks and archives). Such a byte is carried in the text as the lone surrogate
// U+DC80 + byte, so that the path goes back to the very same bytes; Qt's own file calls do
// not know it, the engine's system calls take local().

// A path's bytes as text, each byte that is not part of UTF-8 carried as above.
QString cheminDepuisOctets(const QByteArray& octets);
// A path as the system's calls take it.
QByteArray local(const QString& chemin);
// Whether the path holds such bytes (Qt's file calls cannot reach it).
bool horsUtf8(const QString& chemin);
// The text shown to the user: those bytes read as Latin-1.
QString lisible(const QString& texte);

// `chemin` made absolute against the working folder's own bytes (neither need be UTF-8: a
// path given on the command line), and cleaned; a ".." goes up from where the system is
// (through links), never by the text.
QString absolu(const QString& chemin);

// The names a folder holds, hidden ones too, each read by its bytes as above (Qt's listing
// loses those that are not UTF-8); none when the folder cannot be read.
std::optional<QStringList> nomsDans(const QString& dossier);

// The longest file name the system takes, in bytes.
constexpr qsizetype nomAuPlus = 255;
// At most `octets` bytes of `texte` as the system's calls take it, never cutting a character.
QString debutEnOctets(const QString& texte, qsizetype octets);

// A name's bytes as UTF-8 text: its UTF-8 as it is, each other byte read as Latin-1, the
// encoding of old disks' and archives' names. Distinct bytes stay distinct names; nothing
// becomes a replacement character.
QByteArray nomEnUtf8(const QByteArray& octets);

// A regular file or a folder, links followed: a named pipe or a device would block
// whoever opens or reads it, so the engine and the catalogue refuse the rest.
inline bool fichierOuDossier(const QString& chemin)
{
    struct stat st;
    return ::stat(local(chemin).constData(), &st) == 0 && (S_ISREG(st.st_mode) || S_ISDIR(st.st_mode));
}

// A folder, links followed.
inline bool estDossier(const QString& chemin)
{
    struct stat st;
    return ::stat(local(chemin).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace Conversions
