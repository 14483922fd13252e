#include "conversions/archives/ArchiveExtraction.h"
#include "conversions/archives/ChampsIllisibles.h"
#include "conversions/archives/EntreesSpeciales.h"
#include "conversions/archives/LocaleUtf8.h"
#include "conversions/archives/MethodesDeCompression.h"
#include "conversions/archives/RepertoireCentral.h"
#include "conversions/archives/SourceMasquee.h"

#include "conversions/sorties/Annulation.h"
#include "conversions/sorties/DossierTenu.h"
#include "conversions/Chemins.h"
#include "conversions/Erreur.h"
#include "conversions/sorties/Sortie.h"
#include "conversions/Journaux.h"
#include "conversions/documents/PageDeCodes.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <optional>

#include <archive.h>
#include <archive_entry.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

namespace Conversions {

namespace {

// An entry's name as the components of its path, without "." and empty ones; nothing when
// it would land outside the folder (an absolute name, a ".." part).
std::optional<QList<QByteArray>> composantes(const QByteArray& nom)
{
    if (nom.startsWith('/'))
        return std::nullopt;
    QList<QByteArray> parties;
    for (const QByteArray& partie : nom.split('/')) {
        if (partie == "..")
            return std::nullopt;
        if (!partie.isEmpty() && partie != ".")
            parties.append(partie);
    }
    return parties;
}

// A name too long for the system (a Latin-1 name read as UTF-8 takes up to twice its
// bytes) is cut short, its extension kept.
QByteArray quiTient(const QByteArray& nom)
{
    if (nom.size() <= nomAuPlus)
        return nom;
    const QString texte = cheminDepuisOctets(nom);
    const qsizetype point = texte.lastIndexOf(QLatin1Char('.'));
    const QString extension = point > 0 && texte.size() - point <= 17 ? texte.mid(point) : QString();
    const QByteArray fin = local(extension);
    return local(debutEnOctets(texte.left(texte.size() - extension.size()), nomAuPlus - fin.size())) + fin;
}

// Names written by the Windows shell and older tools are in the DOS code page of the
// writer's language, without the flag that says UTF-8: bytes that are not valid UTF-8
// are read in the code page of the user's language.
QByteArray enUtf8(const char* nom, const PageDeCodes& dos)
{
    const QByteArray octets(nom);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    [[maybe_unused]] const QString essai = utf8.decode(octets);  // only its errors matter
    if (!utf8.hasError())
        return octets;
    return dos.decoder(octets).toUtf8();
}

// An entry that would land outside the folder: the archive is hostile or broken, and says so.
[[noreturn]] void horsDuDossier(const QString& nom, const QByteArray& entree)
{
    qCWarning(journalArchives).noquote() << QStringLiteral("entrée qui sort du dossier : ") + QString::fromUtf8(entree);
    throw Erreur::rien(
        QCoreApplication::translate("Conversions", "« %1 » contient des chemins qui sortent de son dossier").arg(nom));
}

// A path under one of the archive's own links would be written wherever that link points.
bool parUnLien(const QByteArray& chemin, const QSet<QByteArray>& liens)
{
    for (qsizetype i = chemin.indexOf('/'); i >= 0; i = chemin.indexOf('/', i + 1))
        if (liens.contains(chemin.left(i)))
            return true;
    return false;
}

// An entry's name as it is written in the folder: UTF-8, cleaned of "." and empty parts,
// each part cut to fit; nothing when it would land outside the folder or through one of
// the archive's own links (a folder named as a link is reached through it).
std::optional<QByteArray> cheminSur(const char* nom, bool dossier, const PageDeCodes& dos,
                                    const QSet<QByteArray>& liens)
{
    const std::optional<QList<QByteArray>> parties = composantes(enUtf8(nom, dos));
    if (!parties)
        return std::nullopt;
    QByteArray chemin;
    for (const QByteArray& partie : *parties)
        chemin += (chemin.isEmpty() ? QByteArray() : QByteArray("/")) + quiTient(partie);
    if (parUnLien(dossier ? chemin + '/' : chemin, liens))
        return std::nullopt;
    return chemin;
}

// Entries are written under the folder by their full path, so the process's working folder
// (shared by every thread) is never touched; that path leads through the folder's open
// descriptor, so that a folder moved away meanwhile is never made again where it was. No
// link lies on the way to the folder's content but the archive's own: `liens` gathers those
// met so far, by their name in the archive. False for an entry without a name, which has
// nothing to make.
bool placer(archive_entry* e, const QByteArray& dossier, const PageDeCodes& dos, const QString& nom,
            QSet<QByteArray>& liens)
{
    const char* brut = archive_entry_pathname(e);
    std::optional<QByteArray> chemin = cheminSur(brut ? brut : "", archive_entry_filetype(e) == AE_IFDIR, dos, liens);
    if (!chemin)
        horsDuDossier(nom, enUtf8(brut ? brut : "", dos));
    if (chemin->isEmpty()) {
        if (archive_entry_filetype(e) == AE_IFDIR)
            return false;
        // A file that the archive gives no name: it is kept, under one.
        qCWarning(journalArchives).noquote() << QStringLiteral("entrée sans nom, gardée sous le nom « sans nom »");
        *chemin = QCoreApplication::translate("Conversions", "sans nom").toUtf8();
    }
    if (archive_entry_filetype(e) == AE_IFLNK)
        liens.insert(*chemin);
    archive_entry_set_pathname(e, (dossier + '/' + *chemin).constData());
    if (const char* lien = archive_entry_hardlink(e)) {
        const std::optional<QByteArray> cible = cheminSur(lien, false, dos, liens);
        if (!cible || cible->isEmpty())
            horsDuDossier(nom, enUtf8(lien, dos));
        archive_entry_set_hardlink(e, (dossier + '/' + *cible).constData());
    }
    if (const char* lien = archive_entry_symlink(e))
        archive_entry_set_symlink(e, enUtf8(lien, dos).constData());
    return true;
}

// A second entry under a name already unpacked (two names the archive's writer could not
// tell apart) takes the next free name, as outputs do: no entry replaces another. The last
// counter given to each name is kept, so that thousands of entries of one name take a time
// that grows with their number.
void sansEcraser(archive_entry* e, QHash<QString, int>& derniers)
{
    if (archive_entry_filetype(e) == AE_IFDIR)
        return;
    const QString chemin = cheminDepuisOctets(archive_entry_pathname(e));
    struct stat st;
    if (::lstat(local(chemin).constData(), &st) != 0)
        return;
    const QFileInfo info(chemin);
    const QString nom = info.fileName();
    const qsizetype point = nom.lastIndexOf(QLatin1Char('.'));
    int& dernier = derniers[chemin];
    const bool premiere = dernier == 0;
    const QString libre = point > 0 ? nomLibre(info.path(), nom.left(point), nom.mid(point + 1), dernier)
                                    : nomLibre(info.path(), nom, QString(), dernier);
    // Once per name: an archive may hold thousands of them.
    if (premiere)
        qCWarning(journalArchives).noquote() << QStringLiteral("deux entrées du même nom, la seconde devient : ")
                                                    + lisible(QFileInfo(libre).fileName());
    archive_entry_set_pathname(e, local(libre).constData());
}

// An encrypted entry cannot be read without its password, which nothing here asks for.
void refuserLesChiffrees(archive_entry* e, const QString& nom)
{
    if (!archive_entry_is_encrypted(e))
        return;
    qCWarning(journalArchives).noquote()
        << QStringLiteral("entrée chiffrée : ") + QString::fromUtf8(archive_entry_pathname(e));
    throw Erreur::protege(nom);
}

// The central directory's reader, or the one that walks the local headers.
enum class Lecteur { repertoire, entreeParEntree };

struct Lecture {
    archive* a = archive_read_new();
    Lecteur lecteur = Lecteur::repertoire;
    bool ouverte = false;
    std::unique_ptr<SourceMasquee> source;  // freed after the reader, which reads from it
    ~Lecture() { archive_read_free(a); }
    Lecture() = default;
    Lecture(const Lecture&) = delete;
    Lecture& operator=(const Lecture&) = delete;
};

struct Ecriture {
    archive* a = archive_write_disk_new();
    ~Ecriture() { archive_write_free(a); }
};

void detailler(archive* a)
{
    if (a && archive_error_string(a))
        qCWarning(journalArchives).noquote() << QStringLiteral("libarchive : ") + QString::fromUtf8(archive_error_string(a));
}

[[noreturn]] void echec(archive* a, const QString& nom)
{
    detailler(a);
    throw Erreur::lecture(nom);
}

[[noreturn]] void tropGrand(const QString& nom)
{
    throw Erreur::rien(QCoreApplication::translate("Conversions", "Pas assez d’espace disque pour extraire « %1 »")
                           .arg(nom));
}

// Writing an entry failed: no room, a folder that refuses it, or an entry the guards
// refuse (through a link, out of the folder), which is the archive's fault.
[[noreturn]] void echecDisque(archive* disque, archive_entry* e, const QString& nom)
{
    detailler(disque);
    const int code = archive_errno(disque);
    if (code == ENOSPC || code == EDQUOT || code == EFBIG)
        tropGrand(nom);
    if (code == EACCES || code == EROFS || code == EIO)
        throw Erreur::ecriture(QFileInfo(QString::fromUtf8(archive_entry_pathname(e))).fileName());
    throw Erreur::lecture(nom);
}

// What the unpacking may write: most of the free space, and never far more than the
// archive weighs. No real archive expands past this ratio over so many bytes; a
// decompression bomb does (deflate alone reaches about 1 000 : 1 on zeros).
struct Budget {
    static constexpr qint64 seuil = 100LL << 20;
    static constexpr qint64 rapport = 500;

    qint64 limite;
    qint64 poids;
    QString nom;
    qint64 total = 0;

    void verifier(qint64 apres) const
    {
        if (apres > seuil && apres / rapport > poids)
            throw Erreur::rien(QCoreApplication::translate("Conversions",
                                                           "« %1 » semble être une bombe de décompression")
                                   .arg(nom));
        if (apres > limite)
            tropGrand(nom);
    }
    void ajouter(qint64 octets)
    {
        total += octets;
        verifier(total);
    }
};

// Regular files, folders and links only: a device node, a pipe or a socket taken from an
// archive would be a hole in the system or a trap for the next reader.
bool deballable(archive_entry* e, const QSet<QByteArray>& speciales)
{
    const auto type = archive_entry_filetype(e);
    if ((type == AE_IFREG || type == AE_IFDIR || type == AE_IFLNK) && !speciales.contains(archive_entry_pathname(e)))
        return true;
    qCWarning(journalArchives).noquote()
        << QStringLiteral("entrée spéciale laissée de côté : ") + QString::fromUtf8(archive_entry_pathname(e));
    return false;
}

// A folder we cannot enter or a file we cannot read would also be one we cannot remove.
void rendreAccessible(archive_entry* e)
{
    const mode_t m = archive_entry_perm(e);
    archive_entry_set_perm(e, archive_entry_filetype(e) == AE_IFDIR ? (m | 0700) : (m | 0600));
}

void copierDonnees(archive* lecture, archive* disque, archive_entry* e, Budget& budget)
{
    const void* bloc = nullptr;
    size_t taille = 0;
    la_int64_t decalage = 0;
    for (;;) {
        verifierAnnulation();
        const int r = archive_read_data_block(lecture, &bloc, &taille, &decalage);
        if (r == ARCHIVE_EOF)
            return;
        if (r != ARCHIVE_OK)  // a warning here is a bad checksum: the data is damaged
            echec(lecture, budget.nom);
        budget.ajouter(static_cast<qint64>(taille));
        if (archive_write_data_block(disque, bloc, taille, decalage) < ARCHIVE_WARN)
            echecDisque(disque, e, budget.nom);
    }
}

// An archive of no entry at all: its end record alone, as every zip writer makes it.
bool vide(const QString& archive)
{
    QFile f(archive);
    if (f.size() != 22 || !f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray fin = f.readAll();
    return fin.startsWith("PK\x05\x06") && fin.mid(4).count('\0') == 18;
}

// The end records of `archive`, with the entries they announce; nothing when unreadable.
std::optional<RepertoireCentral> repertoireDe(const QString& archive)
{
    QFile f(archive);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    return repertoireCentral(f);
}

std::unique_ptr<Lecture> ouvrirAvec(const QString& archive, Lecteur lecteur, const QList<Remplacement>& masques)
{
    auto lecture = std::make_unique<Lecture>();
    lecture->lecteur = lecteur;
    if (lecteur == Lecteur::repertoire)
        archive_read_support_format_zip_seekable(lecture->a);
    else
        archive_read_support_format_zip_streamable(lecture->a);
    if (masques.isEmpty()) {
        lecture->ouverte =
            archive_read_open_filename(lecture->a, QFile::encodeName(archive).constData(), 1 << 16) == ARCHIVE_OK;
    } else {
        lecture->source = std::make_unique<SourceMasquee>(archive, masques);
        lecture->ouverte = lecture->source->ouvrir(lecture->a) == ARCHIVE_OK;
    }
    if (lecture->ouverte && lecteur == Lecteur::entreeParEntree)
        qCInfo(journalArchives).noquote() << QStringLiteral("archive lue entrée par entrée : ") + archive;
    return lecture;
}

// The central directory is the archive's own table of contents: it is read first, and
// without it the archive is damaged, whatever its local headers say. Some writers put a
// disk number other than 0 in the end record of a one-file archive, which that reader
// refuses: an archive whose end record is there is then read entry by entry.
std::unique_ptr<Lecture> ouvrir(const QString& archive, const QList<Remplacement>& masques)
{
    std::unique_ptr<Lecture> lecture = ouvrirAvec(archive, Lecteur::repertoire, masques);
    if (lecture->ouverte || !repertoireDe(archive))
        return lecture;
    detailler(lecture->a);
    return ouvrirAvec(archive, Lecteur::entreeParEntree, masques);
}

// What every entry of one unpacking shares.
struct Deballage {
    archive* disque;
    QByteArray racine;
    const PageDeCodes& dos;
    Budget& budget;
    QSet<QByteArray> speciales;
    QSet<QByteArray> liens;
    const QString& nom;
    // The folder, held: its entries are written through it (`racine`), and a folder moved
    // away or replaced meanwhile stops the unpacking.
    std::shared_ptr<const DossierTenu> tenu;
    QString nomDuParent;
    QHash<QString, int> derniers;
};

// Writes every entry the reader gives; the number of entries it gave, those left out
// included.
quint64 deballerTout(Lecture& lecture, Deballage& d)
{
    quint64 lues = 0;
    for (;;) {
        verifierAnnulation();  // a stop waits for no more than one entry
        archive_entry* e = nullptr;
        const int r = archive_read_next_header(lecture.a, &e);
        if (r == ARCHIVE_EOF)
            return lues;
        if (r < ARCHIVE_WARN)
            echec(lecture.a, d.nom);
        ++lues;
        if (!deballable(e, d.speciales))
            continue;
        refuserLesChiffrees(e, d.nom);
        if (archive_entry_size_is_set(e))
            d.budget.verifier(d.budget.total + archive_entry_size(e));
        if (!placer(e, d.racine, d.dos, d.nom, d.liens))
            continue;
        sansEcraser(e, d.derniers);
        rendreAccessible(e);
        if (!d.tenu->enPlace())
            throw Erreur::ecriture(d.nomDuParent);
        if (archive_write_header(d.disque, e) < ARCHIVE_WARN)
            echecDisque(d.disque, e, d.nom);
        if (archive_entry_filetype(e) == AE_IFREG)
            copierDonnees(lecture.a, d.disque, e, d.budget);
        if (archive_write_finish_entry(d.disque) < ARCHIVE_WARN)
            echecDisque(d.disque, e, d.nom);
    }
}

// What the library must read otherwise to read what the common tools read: extra fields
// that would make it refuse the whole archive, as padding; a directory size that the end
// record gets wrong, as the directory's records measure it.
QList<Remplacement> retouches(const QString& archive)
{
    QList<Remplacement> liste;
    for (const Plage& p : champsIllisibles(archive)) {
        qCWarning(journalArchives).noquote()
            << QStringLiteral("champ supplémentaire illisible lu comme du remplissage, à l’octet %1").arg(p.debut);
        liste.append(zeros(p));
    }
    QFile f(archive);
    if (!f.open(QIODevice::ReadOnly))
        return liste;
    const std::optional<qint64> taille = tailleReelle(f);
    const std::optional<RepertoireCentral> repertoire = repertoireCentral(f);
    if (taille && repertoire) {
        qCWarning(journalArchives).noquote()
            << QStringLiteral("le répertoire central mesure %1 octets, sa fin en annonce %2")
                   .arg(*taille)
                   .arg(repertoire->taille);
        QByteArray champ(repertoire->champTaille.taille, '\0');
        for (qsizetype i = 0; i < champ.size(); ++i)
            champ[i] = static_cast<char>((quint64(*taille) >> (8 * i)) & 0xff);
        liste.append({repertoire->champTaille.debut, champ});
    }
    return liste;
}

// A reading that failed on an entry compressed by a method the library does not know says
// which method that is.
[[noreturn]] void illisible(const Erreur& e, const QString& archive, const QString& nom)
{
    const std::optional<QString> methode = methodeNonLue(archive);
    if (e.cas() != Erreur::Cas::lecture || !methode)
        throw e;
    throw Erreur::rien(QCoreApplication::translate("Conversions",
                                                   "« %1 » est compressé avec la méthode %2, que cette application "
                                                   "ne sait pas lire")
                           .arg(nom, *methode));
}

void deballerSansNommer(const QString& archive, const QString& dossier, qint64 limite, const QString& nom)
{
    // Held before the writer, which outlives none of the paths through it.
    const QString parent = nomDe(QFileInfo(dossier).absolutePath());
    const std::shared_ptr<const DossierTenu> tenu = DossierTenu::tenir(dossier);
    if (!tenu)
        throw Erreur::ecriture(parent);
    LocaleUtf8 locale;
    Ecriture disque;
    // The library's own guard against links refuses the folder's path through its descriptor
    // (a link of the system's): placer() keeps every entry off the archive's links instead.
    archive_write_disk_set_options(disque.a, ARCHIVE_EXTRACT_TIME | ARCHIVE_EXTRACT_SECURE_NODOTDOT);
    const QList<Remplacement> masques = retouches(archive);
    std::unique_ptr<Lecture> lecture = ouvrir(archive, masques);
    if (!lecture->ouverte) {
        if (vide(archive))
            return;
        echec(lecture->a, nom);
    }

    const PageDeCodes dos(pageDos(QLocale()));
    Budget budget{limite, std::max<qint64>(QFileInfo(archive).size(), 1), nom};
    Deballage d{disque.a, local(tenu->vue()), dos, budget, entreesSpeciales(archive), {}, nom, tenu,
                parent, {}};
    quint64 lues = deballerTout(*lecture, d);
    // A directory whose recorded size cuts its records short gives none of them; the
    // local headers still hold every entry, as other tools find them.
    const quint64 annoncees = repertoireDe(archive).value_or(RepertoireCentral{}).entrees;
    if (lues == 0 && annoncees > 0 && lecture->lecteur == Lecteur::repertoire) {
        qCWarning(journalArchives).noquote()
            << QStringLiteral("le répertoire central annonce %1 entrées et n’en donne aucune").arg(annoncees);
        lecture = ouvrirAvec(archive, Lecteur::entreeParEntree, masques);
        if (lecture->ouverte)
            lues = deballerTout(*lecture, d);
    }
    // Entries announced and none read: nothing came out, which is no success.
    if (lues == 0 && annoncees > 0) {
        qCWarning(journalArchives).noquote()
            << QStringLiteral("aucune des %1 entrées annoncées n’a pu être lue").arg(annoncees);
        echec(lecture->a, nom);
    }
    if (archive_write_close(disque.a) < ARCHIVE_WARN)
        echec(disque.a, nom);
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
    try {
        deballerSansNommer(archive, dossier, limite, nom);
    } catch (const Erreur& e) {
        illisible(e, archive, nom);
    }
}

int pageDos(const QLocale& locale)
{
    switch (locale.language()) {
    case QLocale::French: case QLocale::German: case QLocale::Spanish: case QLocale::Italian:
    case QLocale::Portuguese: case QLocale::Dutch: case QLocale::Danish: case QLocale::Swedish:
    case QLocale::NorwegianBokmal: case QLocale::NorwegianNynorsk: case QLocale::Finnish:
    case QLocale::Icelandic: case QLocale::Catalan: case QLocale::Basque: case QLocale::Galician:
    case QLocale::Irish: case QLocale::Luxembourgish:
        return 850;
    case QLocale::Russian: case QLocale::Ukrainian: case QLocale::Belarusian:
        return 866;
    case QLocale::Japanese:
        return 932;
    case QLocale::Chinese:
        return 936;
    default:
        return 437;  // the format's own default
    }
}

} // namespace Conversions
