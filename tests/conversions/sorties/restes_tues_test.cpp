// A run killed at the worst moment: the next start removes what it had begun, all of it,
// and nothing else.
#include "conversions/Conversions.h"
#include "conversions/sorties/Restes.h"
#include "conversions/sorties/Sortie.h"

#include "commun/Echantillons.h"
#include "commun/Exiger.h"
#include "conversions/essais_outils.h"

#include <csignal>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Conversions;
using essais::tout;

namespace {

// Starts a run (a child process) that opens its register in `etat` and does `travail`.
pid_t lancer(const QString& etat, const std::function<void()>& travail)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        tenirRegistre(etat);
        travail();
        std::_Exit(0);
    }
    return pid;
}

// The next start: how many leftovers it removed.
int demarrer(const QString& etat)
{
    int tube[2];
    if (::pipe(tube) != 0)
        return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int n = tenirRegistre(etat);
        exiger(::write(tube[1], &n, sizeof n) == sizeof n, "écrire le compte");
        std::_Exit(0);
    }
    ::close(tube[1]);
    int n = -1;
    if (::read(tube[0], &n, sizeof n) != sizeof n)
        n = -1;
    ::close(tube[0]);
    ::waitpid(pid, nullptr, 0);
    return n;
}

// Kills `pid` as soon as a name that is not hidden arrives in the watched folder; false when
// the run ended first.
bool tuerALaPremiereArrivee(pid_t pid, int veille)
{
    for (;;) {
        pollfd p{veille, POLLIN, 0};
        if (::poll(&p, 1, 200) > 0) {
            alignas(inotify_event) char tampon[1 << 14];
            const ssize_t n = ::read(veille, tampon, sizeof tampon);
            for (ssize_t i = 0; i < n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(tampon + i);
                if (e->len > 0 && e->name[0] != '.') {
                    ::kill(pid, SIGKILL);
                    ::waitpid(pid, nullptr, 0);
                    return true;
                }
                i += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
            }
        }
        if (::waitpid(pid, nullptr, WNOHANG) == pid)
            return false;
    }
}

} // namespace

// « Séparer » hands thousands of pages over; a kill in the middle leaves some under their
// final names. The next start removes them with the hidden rest: all the pages or none.
TEST(RestesTues, UneRemiseCoupeeEstRetireeEntiere)
{
    constexpr int pages = 3000;
    bool coupee = false;
    for (int essai = 0; essai < 4 && !coupee; ++essai) {
        Dossier d;
        const QString etat = d.creerDossier(QStringLiteral("etat"));
        const QString dossier = d.creerDossier(QStringLiteral("pdf"));
        const QString pdf = Echantillons::pdf(QDir(dossier).filePath(QStringLiteral("doc.pdf")), pages);
        const int veille = ::inotify_init1(IN_CLOEXEC);
        ASSERT_GE(::inotify_add_watch(veille, QFile::encodeName(dossier).constData(), IN_MOVED_TO), 0);
        const pid_t run = lancer(etat, [&] { convertir({pdf}, QStringLiteral("separer"), {}); });
        const bool tue = tuerALaPremiereArrivee(run, veille);
        ::close(veille);
        ASSERT_TRUE(tue) << "la séparation a fini sans rien remettre";
        QStringList laissees = tout(dossier).filter(QStringLiteral(" page "));
        laissees.removeIf([](const QString& n) { return n.startsWith(QLatin1Char('.')); });
        // Killed once every page was in place: a whole success, kept whole.
        coupee = !laissees.isEmpty() && laissees.size() < pages;
        // Meanwhile the user put a file of their own under one of those names: it stays.
        const QString aMoi = coupee ? QDir(dossier).filePath(laissees.first()) : QString();
        if (coupee) {
            ASSERT_TRUE(QFile::remove(aMoi));
            d.ecrire(QStringLiteral("pdf/") + laissees.first(), "à moi");
        }
        const int enleves = demarrer(etat);
        const QStringList reste = tout(dossier);
        if (coupee) {
            EXPECT_GT(enleves, 0);
            EXPECT_EQ(reste, (QStringList{laissees.first(), QStringLiteral("doc.pdf")}))
                << laissees.size() << " pages laissées par la mort, " << reste.size() - 1 << " après le démarrage suivant";
            EXPECT_EQ(essais::lire(aMoi), QByteArray("à moi"));
        } else {
            EXPECT_EQ(reste.size(), pages + 1);
        }
        // The start after that one finds nothing more.
        EXPECT_EQ(demarrer(etat), 0);
    }
    EXPECT_TRUE(coupee) << "aucune mort au milieu de la remise";
}

// A temporary made in a folder reached through a link is written down where it really is:
// the start after a kill finds it there and removes it.
TEST(RestesTues, UnTemporaireSousUnLienEstRetrouve)
{
    Dossier d;
    const QString etat = d.creerDossier(QStringLiteral("etat"));
    const QString vrai = d.creerDossier(QStringLiteral("vrai"));
    const QString lien = d.chemin(QStringLiteral("lien"));
    ASSERT_TRUE(QFile::link(vrai, lien));
    const pid_t run = lancer(etat, [&] {
        Sortie sortie(lien, QStringLiteral("photo"), QStringLiteral("jpg"));
        QFile f(sortie.temporaire());
        exiger(f.open(QIODevice::WriteOnly) && f.write("à moitié") > 0 && f.flush(), "temporaire");
        ::kill(::getpid(), SIGKILL);
    });
    ::waitpid(run, nullptr, 0);
    ASSERT_EQ(tout(vrai).size(), 1);
    EXPECT_EQ(demarrer(etat), 1);
    EXPECT_TRUE(tout(vrai).isEmpty()) << tout(vrai).join(' ').toStdString();
}
