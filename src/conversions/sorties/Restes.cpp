#include "conversions/sorties/Restes.h"

#include "conversions/sorties/Annulation.h"
#include "conversions/Chemins.h"
#include "conversions/Journaux.h"

#include <QDir>
#include <QUuid>

#include <cerrno>
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

void ecrire(char signe, const QString& chemin)
{
    if (registre < 0)
        return;
    const QByteArray ligne = signe + local(chemin).toPercentEncoding() + '\n';
    // One write on an O_APPEND descriptor: a run killed meanwhile leaves whole lines only.
    if (::write(registre, ligne.constData(), static_cast<size_t>(ligne.size())) != ligne.size())
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

// Only what can be nothing but ours: an absolute path under one of our names, a file or a
// folder (not a link) of this user.
bool aNous(const QString& chemin)
{
    if (!QDir::isAbsolutePath(chemin) || QDir::cleanPath(chemin) != chemin || !nomTemporaire(chemin))
        return false;
    struct stat st;
    return ::lstat(local(chemin).constData(), &st) == 0 && st.st_uid == ::getuid()
           && (S_ISREG(st.st_mode) || S_ISDIR(st.st_mode));
}

// Removes what the register `fichier` lists when its run is dead (its lock is free), then
// the register. Returns how many leftovers were removed.
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
        // The newest first: a file inside a work folder goes before the folder.
        for (qsizetype i = restes.size() - 1; i >= 0; --i)
            if (aNous(restes[i]) && supprimer(restes[i]))
                ++enleves;
        ::unlink(local(fichier).constData());
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
