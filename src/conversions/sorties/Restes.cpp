#include "conversions/sorties/Restes.h"

#include "conversions/sorties/Annulation.h"
#include "conversions/Chemins.h"
#include "conversions/Journaux.h"

#include <QDir>
#include <QUuid>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace Conversions {

namespace {

const QString extensionDuRegistre = QStringLiteral(".registre");

// This run's register; written under Emprise's lock, opened before any conversion.
int registre = -1;
bool ecritureEnEchec = false;

// The first failure to keep the register goes to the log; its leftovers would stay.
void signalerEchec()
{
    if (std::exchange(ecritureEnEchec, true))
        return;
    qCWarning(journalConversions).noquote()
        << QStringLiteral("registre des temporaires : ") + QString::fromLocal8Bit(std::strerror(errno));
}

// What a register lists: a temporary, or the final name of a hand-over with the identity of
// the file that bears it (" device:inode:size:time") and the name of the temporary it was
// (" name", percent-encoded).
struct Reste {
    QString chemin;
    QByteArray identite;
    QByteArray temporaire;
};

QByteArray ligne(char signe, const QString& chemin, const QByteArray& identite = {}, const QByteArray& temporaire = {})
{
    return signe + local(chemin).toPercentEncoding() + identite
           + (temporaire.isEmpty() ? QByteArray() : ' ' + temporaire.toPercentEncoding()) + '\n';
}

QByteArray ligne(const Reste& r)
{
    return ligne(r.identite.isEmpty() ? '+' : '>', r.chemin, r.identite, r.temporaire);
}

constexpr qsizetype longueurDuJeton = 12;

// Where the random token of one of our temporary names starts (12 hex digits after the
// prefix: the short token of an output's temporary, the end of a work folder's UUID's first
// group… ), or -1.
qsizetype jetonDans(QStringView nom)
{
    qsizetype suite = 0;
    for (qsizetype i = 0; i < nom.size(); ++i) {
        const QChar c = nom[i];
        const bool hexa = (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
        suite = hexa ? suite + 1 : 0;
        if (suite == longueurDuJeton)
            return i + 1 - longueurDuJeton;
    }
    return -1;
}

// The name an output takes from its temporary (".vemo-vododod-<base>-<token>.<ext>"): it
// starts with that base and its extension starts with that extension, both maybe cut.
bool nomDonneDepuis(const QString& nom, const QString& temporaire)
{
    if (!temporaire.startsWith(QLatin1Char('.') + prefixeTemporaire))
        return false;
    const QStringView reste = QStringView(temporaire).mid(prefixeTemporaire.size() + 1);
    const qsizetype jeton = reste.lastIndexOf(QLatin1Char('-'));
    if (jeton < 0 || jetonDans(reste.mid(jeton + 1)) != 0)
        return false;
    const QStringView apres = reste.mid(jeton + 1 + longueurDuJeton);
    if (!apres.isEmpty() && !apres.startsWith(QLatin1Char('.')))
        return false;
    const qsizetype point = nom.lastIndexOf(QLatin1Char('.'));
    return nom.startsWith(reste.left(jeton)) && (apres.isEmpty() || (point >= 0 && QStringView(nom).mid(point).startsWith(apres)));
}

void ecrire(const QByteArray& l)
{
    if (registre < 0)
        return;
    // One write on an O_APPEND descriptor: a run killed meanwhile leaves whole lines only.
    if (::write(registre, l.constData(), static_cast<size_t>(l.size())) != l.size())
        signalerEchec();
}

QByteArray identiteDe(const struct stat& st)
{
    return ' ' + QByteArray::number(static_cast<qulonglong>(st.st_dev)) + ':'
           + QByteArray::number(static_cast<qulonglong>(st.st_ino)) + ':' + QByteArray::number(static_cast<qint64>(st.st_size))
           + ':' + QByteArray::number(static_cast<qint64>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec);
}

// Takes out of `l` the first entry of that path and kind.
void retirer(QList<Reste>& l, const QString& chemin, bool remise)
{
    for (qsizetype i = 0; i < l.size(); ++i)
        if (l[i].chemin == chemin && l[i].identite.isEmpty() != remise) {
            l.removeAt(i);
            return;
        }
}

// What a register still lists: added and not removed since, oldest first. A last line
// without its end was cut by the death of its run.
QList<Reste> listes(const QByteArray& contenu)
{
    QList<Reste> l;
    const QList<QByteArray> lignes = contenu.split('\n');
    for (qsizetype i = 0; i + 1 < lignes.size(); ++i) {
        const QByteArray& ligne = lignes[i];
        if (ligne.size() < 2)
            continue;
        // The path is percent-encoded: the first blank starts the identity, the second the
        // temporary's name.
        const qsizetype blanc = ligne.indexOf(' ');
        const QByteArray code = blanc < 0 ? ligne.mid(1) : ligne.mid(1, blanc - 1);
        const QString chemin = cheminDepuisOctets(QByteArray::fromPercentEncoding(code));
        const qsizetype second = blanc < 0 ? -1 : ligne.indexOf(' ', blanc + 1);
        if (ligne[0] == '+')
            l.append({chemin, {}, {}});
        else if (ligne[0] == '>' && second > 0)
            l.append({chemin, ligne.mid(blanc, second - blanc), QByteArray::fromPercentEncoding(ligne.mid(second + 1))});
        else if (ligne[0] == '-' || ligne[0] == '<')
            retirer(l, chemin, ligne[0] == '<');
    }
    return l;
}

// Where the folder `dossier` really is, links resolved; empty when it cannot be reached now.
QByteArray reel(const QByteArray& dossier)
{
    char* r = ::realpath(dossier.constData(), nullptr);
    const QByteArray chemin(r);
    std::free(r);
    return chemin;
}

// What becomes of a line of a dead run's register.
enum class Sort { enleve, ecarte, garde };

// Only what can be nothing but ours is removed: an absolute path under one of our names (or
// a hand-over's output under the name given from its temporary's, still the very file we
// wrote and that file's only name), reached without any link on the way, a file or a folder
// (not a link) of this user. What
// cannot be reached now (a drive not mounted) or removed is kept for the next start.
Sort reprendreUn(const Reste& reste)
{
    const QString& chemin = reste.chemin;
    const bool remise = !reste.identite.isEmpty();
    if (!QDir::isAbsolutePath(chemin) || QDir::cleanPath(chemin) != chemin || (!remise && !nomTemporaire(chemin))
        || (remise && !nomDonneDepuis(nomDe(chemin), cheminDepuisOctets(reste.temporaire))))
        return Sort::ecarte;
    const QByteArray c = local(chemin);
    // Made through a dead process's descriptor (an alias of a name that is not UTF-8): that
    // way is gone for good, and the folder it led to is written down under its own path.
    if (c.startsWith("/proc/"))
        return Sort::ecarte;
    const QByteArray dossier = c.left(std::max<qsizetype>(c.lastIndexOf('/'), 1));
    const QByteArray vrai = reel(dossier);
    if (vrai.isEmpty())
        return Sort::garde;
    struct stat st;
    if (vrai != dossier)
        return Sort::ecarte;
    if (::lstat(c.constData(), &st) != 0)
        return errno == ENOENT ? Sort::ecarte : Sort::garde;
    if (st.st_uid != ::getuid() || !(S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)))
        return Sort::ecarte;
    // An output of ours only while it is the very file we wrote.
    if (remise && (!S_ISREG(st.st_mode) || st.st_nlink != 1 || identiteDe(st) != reste.identite))
        return Sort::ecarte;
    return supprimer(chemin) ? Sort::enleve : Sort::garde;
}

// Removes what the register `fichier` lists when its run is dead (its lock is free), then
// the register, or keeps in it what is left. Returns how many leftovers were removed.
int reprendre(const QString& fichier)
{
    const int fd = ::open(local(fichier).constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return 0;
    int enleves = 0;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        QFile f;
        QByteArray contenu;
        if (f.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
            contenu = f.readAll();
        const QList<Reste> restes = listes(contenu);
        QByteArray gardes;
        // The newest first: a file inside a work folder goes before the folder.
        for (qsizetype i = restes.size() - 1; i >= 0; --i) {
            const Sort sort = reprendreUn(restes[i]);
            if (sort == Sort::enleve)
                ++enleves;
            else if (sort == Sort::garde)
                gardes.prepend(ligne(restes[i]));
        }
        if (gardes.isEmpty())
            ::unlink(local(fichier).constData());
        else if (::ftruncate(fd, 0) != 0
                 || ::pwrite(fd, gardes.constData(), static_cast<size_t>(gardes.size()), 0) != gardes.size())
            signalerEchec();
    }
    ::close(fd);
    return enleves;
}

} // namespace

bool nomTemporaire(const QString& chemin)
{
    const QString nom = nomDe(chemin);
    const QStringView sansPoint = QStringView(nom).mid(nom.startsWith(QLatin1Char('.')) ? 1 : 0);
    // Our prefix, then a random token: a user's « vemo-vododod-budget.ods » is not ours.
    return sansPoint.startsWith(prefixeTemporaire) && jetonDans(sansPoint.mid(prefixeTemporaire.size())) >= 0;
}

int tenirRegistre(const QString& dossier)
{
    if (!QDir().mkpath(dossier))
        return 0;
    int enleves = 0;
    const QDir d(dossier);
    for (const QString& nom : d.entryList({QLatin1Char('*') + extensionDuRegistre}, QDir::Files | QDir::Hidden))
        enleves += reprendre(d.filePath(nom));

    // Locked under a name no other start reads, then given its name: a start never finds it
    // unlocked.
    const QString uuid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    const QString nouveau = d.filePath(QLatin1Char('.') + uuid);
    const int fd = ::open(local(nouveau).constData(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0
        || ::rename(local(nouveau).constData(), local(d.filePath(uuid + extensionDuRegistre)).constData()) != 0) {
        signalerEchec();
        if (fd >= 0) {
            ::unlink(local(nouveau).constData());
            ::close(fd);
        }
        return enleves;
    }
    Emprise emprise(Emprise::Levee::jamais);
    registre = fd;
    return enleves;
}

void noterTemporaire(const QString& chemin) { ecrire(ligne('+', chemin)); }

void oublierTemporaire(const QString& chemin) { ecrire(ligne('-', chemin)); }

void noterRemise(const QString& chemin, const QString& fichier)
{
    struct stat st;
    // Nothing to rename there: the rename fails, and nothing takes the name.
    if (::lstat(local(fichier).constData(), &st) == 0)
        ecrire(ligne('>', chemin, identiteDe(st), local(nomDe(fichier))));
}

void oublierRemise(const QString& chemin) { ecrire(ligne('<', chemin)); }

void plusAucunTemporaire()
{
    // Kept short: a long run writes its lines again from the start.
    if (registre >= 0 && ::ftruncate(registre, 0) != 0)
        signalerEchec();
}

} // namespace Conversions
