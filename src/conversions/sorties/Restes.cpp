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

QByteArray ligne(char signe, const QString& chemin) { return signe + local(chemin).toPercentEncoding() + '\n'; }

void ecrire(char signe, const QString& chemin)
{
    if (registre < 0)
        return;
    const QByteArray l = ligne(signe, chemin);
    // One write on an O_APPEND descriptor: a run killed meanwhile leaves whole lines only.
    if (::write(registre, l.constData(), static_cast<size_t>(l.size())) != l.size())
        signalerEchec();
}

// What a register still lists: added and not removed since, oldest first. A last line
// without its end was cut by the death of its run.
QStringList listes(const QByteArray& contenu)
{
    QStringList l;
    const QList<QByteArray> lignes = contenu.split('\n');
    for (qsizetype i = 0; i + 1 < lignes.size(); ++i) {
        const QByteArray& ligne = lignes[i];
        if (ligne.size() < 2)
            continue;
        const QString chemin = cheminDepuisOctets(QByteArray::fromPercentEncoding(ligne.mid(1)));
        if (ligne[0] == '+')
            l.append(chemin);
        else if (ligne[0] == '-')
            l.removeOne(chemin);
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

// Only what can be nothing but ours is removed: an absolute path under one of our names,
// reached without any link on the way, a file or a folder (not a link) of this user. What
// cannot be reached now (a drive not mounted) or removed is kept for the next start.
Sort reprendreUn(const QString& chemin)
{
    if (!QDir::isAbsolutePath(chemin) || QDir::cleanPath(chemin) != chemin || !nomTemporaire(chemin))
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
        const QStringList restes = listes(contenu);
        QByteArray gardes;
        // The newest first: a file inside a work folder goes before the folder.
        for (qsizetype i = restes.size() - 1; i >= 0; --i) {
            const Sort sort = reprendreUn(restes[i]);
            if (sort == Sort::enleve)
                ++enleves;
            else if (sort == Sort::garde)
                gardes.prepend(ligne('+', restes[i]));
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
    return nom.startsWith(prefixeTemporaire)
           || (nom.startsWith(QLatin1Char('.')) && QStringView(nom).mid(1).startsWith(prefixeTemporaire));
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

void noterTemporaire(const QString& chemin) { ecrire('+', chemin); }

void oublierTemporaire(const QString& chemin) { ecrire('-', chemin); }

void plusAucunTemporaire()
{
    // Kept short: a long run writes its lines again from the start.
    if (registre >= 0 && ::ftruncate(registre, 0) != 0)
        signalerEchec();
}

} // namespace Conversions
