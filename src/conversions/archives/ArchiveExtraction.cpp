#include "conversions/archives/ArchiveExtraction.h"

#include "conversions/Erreur.h"
#include "conversions/JournalMoteur.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <archive.h>
#include <archive_entry.h>
#include <clocale>
#include <sys/statvfs.h>

namespace Conversions {

namespace {

// Entry names are UTF-8 whatever the user's locale: convert them through a UTF-8
// LC_CTYPE for this thread only.
class LocaleUtf8 {
public:
    LocaleUtf8()
        : locale_(newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr)))
    {
        if (locale_)
            avant_ = uselocale(locale_);
    }
    ~LocaleUtf8()
    {
        if (!locale_)
            return;
        uselocale(avant_);
        freelocale(locale_);
    }

private:
    locale_t locale_;
    locale_t avant_ = LC_GLOBAL_LOCALE;
};

// An entry's name must stay inside the folder: relative, without "..".
bool nomSur(const char* nom)
{
    if (!nom || !*nom || nom[0] == '/')
        return false;
    const QString n = QString::fromUtf8(nom);
    const QStringList parties = n.split(QLatin1Char('/'));
    return !parties.contains(QStringLiteral(".."));
}

// Entries are written under the folder by their full path, so the process's working folder
// (shared by every thread) is never touched. The folder's own path is taken without links,
// since the link guard applies to every component of the path.
void placer(archive_entry* e, const QByteArray& dossier, const QString& nom)
{
    const char* chemin = archive_entry_pathname(e);
    if (!nomSur(chemin))
        throw Erreur::lecture(nom);
    archive_entry_set_pathname(e, (dossier + '/' + chemin).constData());
    if (const char* lien = archive_entry_hardlink(e)) {
        if (!nomSur(lien))
            throw Erreur::lecture(nom);
        archive_entry_set_hardlink(e, (dossier + '/' + lien).constData());
    }
}

struct Lecture {
    archive* a = archive_read_new();
    ~Lecture() { archive_read_free(a); }
};

struct Ecriture {
    archive* a = archive_write_disk_new();
    ~Ecriture() { archive_write_free(a); }
};

[[noreturn]] void echec(archive* a, const QString& nom)
{
    if (journalDetails && a && archive_error_string(a))
        journalDetails(QString::fromUtf8(archive_error_string(a)));
    throw Erreur::lecture(nom);
}

[[noreturn]] void tropGrand(const QString& nom)
{
    throw Erreur::rien(QCoreApplication::translate("Conversions", "Pas assez d’espace disque pour extraire « %1 »")
                           .arg(nom));
}

// A folder we cannot enter or a file we cannot read would also be one we cannot remove.
void rendreAccessible(archive_entry* e)
{
    const mode_t m = archive_entry_perm(e);
    archive_entry_set_perm(e, archive_entry_filetype(e) == AE_IFDIR ? (m | 0700) : (m | 0600));
}

void copierDonnees(archive* lecture, archive* disque, qint64& total, qint64 limite, const QString& nom)
{
    const void* bloc = nullptr;
    size_t taille = 0;
    la_int64_t decalage = 0;
    for (;;) {
        const int r = archive_read_data_block(lecture, &bloc, &taille, &decalage);
        if (r == ARCHIVE_EOF)
            return;
        if (r != ARCHIVE_OK)  // a warning here is a bad checksum: the data is damaged
            echec(lecture, nom);
        total += static_cast<qint64>(taille);
        if (total > limite)
            tropGrand(nom);
        if (archive_write_data_block(disque, bloc, taille, decalage) < ARCHIVE_WARN)
            echec(disque, nom);
    }
}

} // namespace

qint64 limiteDeDeballage(const QString& dossier)
{
    struct statvfs s;
    if (::statvfs(QFile::encodeName(dossier).constData(), &s) != 0)
        return 0;
    const qint64 libre = static_cast<qint64>(s.f_bavail) * static_cast<qint64>(s.f_frsize);
    return libre - libre / 10;
}

void deballer(const QString& archive, const QString& dossier, qint64 limite, const QString& nom)
{
    LocaleUtf8 locale;
    Lecture lecture;
    Ecriture disque;
    // The central directory is the archive's own table of contents: without it the
    // archive is damaged, whatever its local headers say.
    archive_read_support_format_zip_seekable(lecture.a);
    archive_write_disk_set_options(disque.a, ARCHIVE_EXTRACT_TIME | ARCHIVE_EXTRACT_SECURE_NODOTDOT
                                                 | ARCHIVE_EXTRACT_SECURE_SYMLINKS);
    if (archive_read_open_filename(lecture.a, QFile::encodeName(archive).constData(), 1 << 16) != ARCHIVE_OK)
        echec(lecture.a, nom);

    const QString reel = QFileInfo(dossier).canonicalFilePath();
    if (reel.isEmpty())
        throw Erreur::ecriture(nom);
    const QByteArray racine = QFile::encodeName(reel);
    qint64 total = 0;
    for (;;) {
        archive_entry* e = nullptr;
        const int r = archive_read_next_header(lecture.a, &e);
        if (r == ARCHIVE_EOF)
            break;
        if (r < ARCHIVE_WARN)
            echec(lecture.a, nom);
        if (archive_entry_size_is_set(e) && archive_entry_size(e) > limite - total)
            tropGrand(nom);
        placer(e, racine, nom);
        rendreAccessible(e);
        if (archive_write_header(disque.a, e) < ARCHIVE_WARN)
            echec(disque.a, nom);
        if (archive_entry_filetype(e) == AE_IFREG)
            copierDonnees(lecture.a, disque.a, total, limite, nom);
        if (archive_write_finish_entry(disque.a) < ARCHIVE_WARN)
            echec(disque.a, nom);
    }
    if (archive_write_close(disque.a) < ARCHIVE_WARN)
        echec(disque.a, nom);
}

} // namespace Conversions
