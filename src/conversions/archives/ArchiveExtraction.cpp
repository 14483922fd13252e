#include "conversions/archives/ArchiveExtraction.h"
#include "conversions/archives/Arborescence.h"
#include "conversions/archives/ChampsIllisibles.h"
#include "conversions/archives/EntreesSpeciales.h"
#include "conversions/archives/FluxCourts.h"
#include "conversions/archives/LocaleUtf8.h"
#include "conversions/archives/MethodesDeCompression.h"
#include "conversions/archives/NomAuJournal.h"
#include "conversions/archives/RepertoireCentral.h"
#include "conversions/archives/SourceMasquee.h"

#include "conversions/sorties/Annulation.h"
#include "conversions/sorties/DossierTenu.h"
#include "conversions/Chemins.h"
#include "conversions/Erreur.h"
#include "conversions/Journaux.h"
#include "conversions/documents/PageDeCodes.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <memory>
#include <optional>
#include <system_error>
#include <utility>

#include <archive.h>
#include <archive_entry.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

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
    qCWarning(journalArchives).noquote() << QStringLiteral("entrée qui sort du dossier : ") + nomAuJournal(entree);
    throw Erreur::rien(
        QCoreApplication::translate("Conversions", "« %1 » contient des chemins qui sortent de son dossier").arg(nom));
}

// An entry's path as it is written in the folder: UTF-8, cleaned of "." and empty parts,
// each part cut to fit; a file the archive gives no name is kept under one. Nothing for a
// folder without a name, which has nothing to make; a path that would land outside the
// folder throws.
std::optional<QList<QByteArray>> partiesSures(archive_entry* e, const PageDeCodes& dos, const QString& nom)
{
    const char* brut = archive_entry_pathname(e);
    const QByteArray entree = enUtf8(brut ? brut : "", dos);
    std::optional<QList<QByteArray>> parties = composantes(entree);
    if (!parties)
        horsDuDossier(nom, entree);
    for (QByteArray& partie : *parties)
        partie = quiTient(partie);
    if (!parties->isEmpty())
        return parties;
    if (archive_entry_filetype(e) == AE_IFDIR)
        return std::nullopt;
    qCWarning(journalArchives).noquote() << QStringLiteral("entrée sans nom, gardée sous le nom « sans nom »");
    return QList<QByteArray>{QCoreApplication::translate("Conversions", "sans nom").toUtf8()};
}

// An encrypted entry cannot be read without its password, which nothing here asks for.
void refuserLesChiffrees(archive_entry* e, const QString& nom)
{
    if (!archive_entry_is_encrypted(e))
        return;
    qCWarning(journalArchives).noquote()
        << QStringLiteral("entrée chiffrée : ") + nomAuJournal(archive_entry_pathname(e));
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

// Writing an entry failed: no room (then the whole unpacking is refused as too big for the
// disk), or a disk that refuses it, named as what would have been made there (the log names
// the entry).
[[noreturn]] void echecDisque(const std::system_error& x, const QByteArray& entree, const QString& nom)
{
    qCWarning(journalArchives).noquote()
        << QStringLiteral("écriture de « %1 » : %2").arg(nomAuJournal(entree), QString::fromLocal8Bit(x.what()));
    const int code = x.code().value();
    if (code == ENOSPC || code == EDQUOT || code == EFBIG)
        tropGrand(nom);
    throw Erreur::ecriture(QFileInfo(nom).completeBaseName());
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
    qint64 bloc;         // the disk's block: what a file takes is counted in whole blocks
    qint64 octets = 0;   // unpacked so far
    qint64 place = 0;    // what they take on the disk

    qint64 blocs(qint64 n) const { return std::max<qint64>(1, (n + bloc - 1) / bloc) * bloc; }
    void verifier(qint64 octetsApres, qint64 placeApres) const
    {
        if (octetsApres > seuil && octetsApres / rapport > poids)
            throw Erreur::rien(QCoreApplication::translate("Conversions",
                                                           "« %1 » semble être une bombe de décompression")
                                   .arg(nom));
        if (placeApres > limite)
            tropGrand(nom);
    }
    // Before an entry of `taille` bytes is written.
    void prevoir(qint64 taille) const { verifier(octets + taille, place + blocs(taille)); }
    void ajouter(qint64 n)
    {
        octets += n;
        place += n;
        verifier(octets, place);
    }
    // Once an entry of `ecrits` bytes is written: at least one block, each one whole.
    void clore(qint64 ecrits)
    {
        place += blocs(ecrits) - ecrits;
        verifier(octets, place);
    }
};

// Regular files, folders and links only: a device node, a pipe or a socket taken from an
// archive would be a hole in the system or a trap for the next reader.
bool deballable(archive_entry* e, const QSet<QByteArray>& speciales)
{
    const auto type = archive_entry_filetype(e);
    if ((type == AE_IFREG || type == AE_IFDIR || type == AE_IFLNK) && !archive_entry_hardlink(e)
        && !speciales.contains(archive_entry_pathname(e)))
        return true;
    qCWarning(journalArchives).noquote()
        << QStringLiteral("entrée spéciale laissée de côté : ") + nomAuJournal(archive_entry_pathname(e));
    return false;
}

// Every byte at its place, or the system's reason: a write that comes up short is a full disk.
void ecrireTout(int fd, const char* octets, size_t taille, off_t decalage)
{
    while (taille > 0) {
        const ssize_t n = ::pwrite(fd, octets, taille, decalage);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw std::system_error(n < 0 ? errno : ENOSPC, std::generic_category(), "write");
        octets += n;
        taille -= size_t(n);
        decalage += n;
    }
}

// The entry's data into the open file `fd`; the number of bytes written.
qint64 copierDonnees(archive* lecture, int fd, Budget& budget)
{
    const void* bloc = nullptr;
    size_t taille = 0;
    la_int64_t decalage = 0;
    qint64 ecrits = 0;
    for (;;) {
        verifierAnnulation();
        const int r = archive_read_data_block(lecture, &bloc, &taille, &decalage);
        if (r == ARCHIVE_EOF)
            return ecrits;
        if (r != ARCHIVE_OK)  // a warning here is a bad checksum: the data is damaged
            echec(lecture, budget.nom);
        budget.ajouter(static_cast<qint64>(taille));
        ecrireTout(fd, static_cast<const char*>(bloc), taille, decalage);
        ecrits += static_cast<qint64>(taille);
    }
}

Arborescence::Dates datesDe(archive_entry* e)
{
    Arborescence::Dates dates;
    if (archive_entry_mtime_is_set(e))
        dates.modification = timespec{archive_entry_mtime(e), archive_entry_mtime_nsec(e)};
    if (archive_entry_atime_is_set(e))
        dates.acces = timespec{archive_entry_atime(e), archive_entry_atime_nsec(e)};
    return dates;
}

// A descriptor closed once, its close checked when the file is done with: some file
// systems report the lack of room only then.
class Ouvert {
public:
    explicit Ouvert(int fd) : fd_(fd) {}
    ~Ouvert()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Ouvert(const Ouvert&) = delete;
    Ouvert& operator=(const Ouvert&) = delete;
    int fd() const { return fd_; }
    void fermer()
    {
        const int fd = std::exchange(fd_, -1);
        if (::close(fd) != 0 && errno != EINTR)
            throw std::system_error(errno, std::generic_category(), "close");
    }

private:
    int fd_;
};

// The permissions the archive gives, the user's mask applied, never set-user or set-group:
// what a user's own unpacking makes.
mode_t permissions(archive_entry* e) { return archive_entry_perm(e) & 0777; }

void ecrireEntree(archive* lecture, Arborescence& arbre, archive_entry* e, const QList<QByteArray>& parties,
                  const PageDeCodes& dos, Budget& budget)
{
    switch (archive_entry_filetype(e)) {
    case AE_IFDIR:
        arbre.dossier(parties, permissions(e), datesDe(e));
        budget.clore(0);
        return;
    case AE_IFLNK: {
        const char* cible = archive_entry_symlink(e);
        const QByteArray vers = enUtf8(cible ? cible : "", dos);
        // No system makes a link to nothing or past its path limit: the archive is damaged.
        if (vers.isEmpty() || vers.size() >= PATH_MAX) {
            qCWarning(journalArchives).noquote()
                << QStringLiteral("lien sans cible possible : ") + nomAuJournal(parties.join('/'));
            throw Erreur::lecture(budget.nom);
        }
        arbre.lien(parties, vers, datesDe(e));
        budget.clore(0);
        return;
    }
    default: {
        Ouvert fichier(arbre.fichier(parties, permissions(e)));
        const qint64 ecrits = copierDonnees(lecture, fichier.fd(), budget);
        const Arborescence::Dates dates = datesDe(e);
        if (dates.modification) {
            const timespec ts[2] = {dates.acces.value_or(*dates.modification), *dates.modification};
            ::futimens(fichier.fd(), ts);  // a date the disk cannot keep loses nothing written
        }
        fichier.fermer();
        budget.clore(ecrits);
    }
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

// The block of the disk that holds `dossier`, in bytes.
qint64 tailleDeBloc(const QString& dossier)
{
    struct statvfs s;
    if (::statvfs(local(dossier).constData(), &s) != 0 || s.f_frsize == 0)
        return 4096;
    return static_cast<qint64>(s.f_frsize);
}

// What every entry of one unpacking shares.
struct Deballage {
    Arborescence& arbre;
    const PageDeCodes& dos;
    Budget& budget;
    QSet<QByteArray> speciales;
    const QString& nom;
    // The folder, held: its entries are written through it, and a folder moved away or
    // replaced meanwhile stops the unpacking.
    std::shared_ptr<const DossierTenu> tenu;
    QString nomDuParent;
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
            d.budget.prevoir(archive_entry_size(e));
        const std::optional<QList<QByteArray>> parties = partiesSures(e, d.dos, d.nom);
        if (!parties)
            continue;
        if (!d.tenu->enPlace())
            throw Erreur::ecriture(d.nomDuParent);
        try {
            ecrireEntree(lecture.a, d.arbre, e, *parties, d.dos, d.budget);
        } catch (const Arborescence::ParUnLien&) {
            horsDuDossier(d.nom, parties->join('/'));
        } catch (const std::system_error& x) {
            echecDisque(x, parties->join('/'), d.nom);
        }
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

// Unpacks into the held folder `tenu` with the reader seeing `masques` in place of the file's
// bytes; `parent` names the folder's own folder.
void deballerAvec(const QString& archive, const std::shared_ptr<const DossierTenu>& tenu, const QString& parent,
                  qint64 limite, const QString& nom, const QList<Remplacement>& masques)
{
    std::unique_ptr<Lecture> lecture = ouvrir(archive, masques);
    if (!lecture->ouverte) {
        if (vide(archive))
            return;
        echec(lecture->a, nom);
    }

    const PageDeCodes dos(pageDos(QLocale()));
    Budget budget{limite, std::max<qint64>(QFileInfo(archive).size(), 1), nom, tailleDeBloc(tenu->vue())};
    std::optional<Arborescence> arbre;
    try {
        arbre.emplace(local(tenu->vue()));
    } catch (const std::system_error&) {
        throw Erreur::ecriture(parent);
    }
    Deballage d{*arbre, dos, budget, entreesSpeciales(archive), nom, tenu, parent};
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
    try {
        arbre->finir();
    } catch (const std::system_error& x) {
        // A folder of the unpacking moved away by another program: what it held is lost.
        qCWarning(journalArchives).noquote() << QStringLiteral("dossier de l’extraction déplacé : ")
                                                    + QString::fromLocal8Bit(x.what());
        throw Erreur::ecriture(QFileInfo(nom).completeBaseName());
    }
}

// Everything the held folder holds, removed.
void vider(const DossierTenu& tenu, const QString& parent)
{
    const std::optional<QStringList> noms = nomsDans(tenu.vue());
    if (!noms)
        throw Erreur::ecriture(parent);
    for (const QString& n : *noms)
        if (!tenu.supprimer(n))
            throw Erreur::ecriture(parent);
}

void deballerSansNommer(const QString& archive, const QString& dossier, qint64 limite, const QString& nom)
{
    // Held before the writer, which outlives none of the paths through it.
    const QString parent = nomDe(QFileInfo(dossier).absolutePath());
    const std::shared_ptr<const DossierTenu> tenu = DossierTenu::tenir(dossier);
    if (!tenu)
        throw Erreur::ecriture(parent);
    LocaleUtf8 locale;
    for (const QByteArray& coupe : nomsCoupes(archive))
        qCWarning(journalArchives).noquote() << QStringLiteral("nom d’entrée coupé à son octet nul : ")
                                                    + nomAuJournal(coupe);
    const QList<Remplacement> masques = retouches(archive);
    try {
        deballerAvec(archive, tenu, parent, limite, nom, masques);
    } catch (const Erreur& e) {
        // An entry whose data the library refused may be a stream that ends before the size
        // its headers give, which the common tools read: then everything is read again, so.
        const QList<Remplacement> courts = e.cas() == Erreur::Cas::lecture ? fluxCourts(archive) : QList<Remplacement>();
        if (courts.isEmpty())
            throw;
        vider(*tenu, parent);
        deballerAvec(archive, tenu, parent, limite, nom, masques + courts);
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
