#include "conversions/travail/Processus.h"

#include "conversions/sorties/Annulation.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace Conversions {

namespace {

void fermer(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

// What the child does between its creation and exec(): all of it prepared by the parent,
// since the child shares the parent's memory and may call no allocator.
struct Lancement {
    char* const* argv = nullptr;
    const char* dossier = nullptr;
    int sortie = -1;  // -1: the null device
    int erreur = -1;
    pid_t parent = 0;
    rlim_t memoire = RLIM_INFINITY;
    sigset_t masque{};
    int echec = 0;  // errno of the step that failed, written by the child
};

void rediriger(Lancement& l, int fd, int vers, int drapeaux)
{
    if (fd < 0) {
        const int n = ::open("/dev/null", drapeaux | O_CLOEXEC);
        if (n < 0 || ::dup2(n, vers) < 0)
            l.echec = errno;
        if (n >= 0 && n != vers)
            ::close(n);
    } else if (fd == vers ? ::fcntl(fd, F_SETFD, 0) < 0 : ::dup2(fd, vers) < 0) {
        l.echec = errno;
    }
}

int enfant(void* donnees)
{
    Lancement& l = *static_cast<Lancement*>(donnees);
    // Our signal handlers belong to the parent, whose memory this is until exec().
    for (int s = 1; s < NSIG; ++s) {
        struct sigaction a{};
        if (::sigaction(s, nullptr, &a) == 0 && a.sa_handler != SIG_IGN && a.sa_handler != SIG_DFL) {
            a.sa_handler = SIG_DFL;
            a.sa_flags = 0;
            ::sigaction(s, &a, nullptr);
        }
    }
    // The child ends with the application, even when the application is killed. The signal
    // follows the creating thread, which waits for this child before it ends (see the header).
    if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0)
        l.echec = errno;
    else if (::getppid() != l.parent)
        l.echec = ESRCH;  // the application died before the line above
    rediriger(l, -1, 0, O_RDONLY);
    rediriger(l, l.sortie, 1, O_WRONLY);
    rediriger(l, l.erreur, 2, O_WRONLY);
    // None of the application's descriptors: an inherited end of one of its pipes would keep
    // a reader waiting for as long as this child lives.
    ::close_range(3, ~0U, 0);
    if (l.echec == 0 && l.dossier && ::chdir(l.dossier) != 0)
        l.echec = errno;
    const rlimit plafond{l.memoire, l.memoire};
    if (l.echec == 0 && l.memoire != RLIM_INFINITY && ::setrlimit(RLIMIT_AS, &plafond) != 0)
        l.echec = errno;
    if (l.echec == 0) {
        ::sigprocmask(SIG_SETMASK, &l.masque, nullptr);
        ::execve(l.argv[0], l.argv, environ);
        l.echec = errno;
    }
    ::_exit(127);
}

// Starts the child as posix_spawn does (sharing our memory until exec()), with the
// parent-death signal that posix_spawn cannot set. Returns its pid, or -errno.
pid_t lancer(Lancement& l)
{
    constexpr size_t tailleDePile = 64 * 1024;
    std::vector<char> pile(tailleDePile);
    sigset_t tous;
    sigfillset(&tous);
    // No handler of ours may run in the child before it has reset them.
    ::pthread_sigmask(SIG_SETMASK, &tous, &l.masque);
    l.parent = ::getpid();
    const pid_t pid = ::clone(enfant, pile.data() + pile.size(), CLONE_VM | CLONE_VFORK | SIGCHLD, &l);
    const int e = errno;
    ::pthread_sigmask(SIG_SETMASK, &l.masque, nullptr);
    if (pid < 0)
        return -e;
    if (l.echec != 0) {
        while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        return -l.echec;
    }
    return pid;
}

} // namespace

Processus::Processus(const QString& programme, const QStringList& arguments, Flux flux,
                     const QString& dossierDeTravail, qsizetype memoireAuPlus)
{
    int tubeSortie[2] = {-1, -1};
    int tubeErreur[2] = {-1, -1};
    const auto fermerLesTubes = [&] {
        for (int* fd : {&tubeSortie[0], &tubeSortie[1], &tubeErreur[0], &tubeErreur[1]})
            fermer(*fd);
    };
    if (flux == Flux::tubes && (::pipe2(tubeSortie, O_CLOEXEC) != 0 || ::pipe2(tubeErreur, O_CLOEXEC) != 0)) {
        const int e = errno;
        fermerLesTubes();
        throw std::system_error(e, std::generic_category(), "pipe");
    }

    const QByteArray dossier = QFile::encodeName(dossierDeTravail);
    std::vector<QByteArray> octets;
    octets.push_back(QFile::encodeName(programme));
    for (const QString& a : arguments)
        octets.push_back(a.toUtf8());
    std::vector<char*> argv;
    for (QByteArray& o : octets)
        argv.push_back(o.data());
    argv.push_back(nullptr);

    Lancement l;
    l.argv = argv.data();
    l.dossier = dossierDeTravail.isEmpty() ? nullptr : dossier.constData();
    l.sortie = tubeSortie[1];
    l.erreur = tubeErreur[1];
    if (memoireAuPlus > 0)
        l.memoire = static_cast<rlim_t>(memoireAuPlus);

    int e = 0;
    try {
        // Started and registered in one step: a stop of the engine either prevents it or ends it.
        Emprise emprise;
        const pid_t pid = lancer(l);
        if (pid > 0) {
            pid_ = pid;
            emprise.tenir(pid_);
        } else {
            e = -pid;
        }
    } catch (const Annulee&) {
        fermerLesTubes();
        throw;
    }
    fermer(tubeSortie[1]);
    fermer(tubeErreur[1]);
    if (e != 0) {
        fermer(tubeSortie[0]);
        fermer(tubeErreur[0]);
        pid_ = -1;
        throw std::system_error(e, std::generic_category(), "spawn");
    }
    sortie_ = tubeSortie[0];
    erreur_ = tubeErreur[0];
}

Processus::~Processus()
{
    fermer(sortie_);
    fermer(erreur_);
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        recueillir();
    }
}

int Processus::attendre()
{
    const int statut = recueillir();
    verifierAnnulation();
    return statut;
}

int Processus::recueillir()
{
    if (pid_ <= 0)
        return -1;
    // Waited for without being reaped, so that its number stays its own until it leaves
    // the engine's register (a stop never signals another process).
    siginfo_t info{};
    while (::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOWAIT) < 0 && errno == EINTR) {
    }
    Emprise(Emprise::Levee::jamais).lacher(pid_);
    int statut = 0;
    while (::waitpid(pid_, &statut, 0) < 0) {
        if (errno != EINTR) {
            pid_ = -1;
            return -1;
        }
    }
    pid_ = -1;
    if (WIFEXITED(statut))
        return WEXITSTATUS(statut);
    return 128 + (WIFSIGNALED(statut) ? WTERMSIG(statut) : 0);
}

bool lireLesFlux(const Processus& p, const std::function<void(bool erreur, const QByteArray&)>& recu,
                 std::optional<std::chrono::steady_clock::time_point> limite)
{
    std::array<pollfd, 2> fds{{{p.erreur(), POLLIN, 0}, {p.sortie(), POLLIN, 0}}};
    std::array<char, 1 << 16> tampon;
    // A child started without pipes has nothing to read.
    int ouverts = static_cast<int>(std::count_if(fds.begin(), fds.end(), [](const pollfd& f) { return f.fd >= 0; }));
    while (ouverts > 0) {
        int attente = -1;
        if (limite) {
            const auto reste = std::chrono::duration_cast<std::chrono::milliseconds>(*limite - std::chrono::steady_clock::now());
            if (reste.count() <= 0)
                return false;
            attente = static_cast<int>(reste.count());
        }
        const int pret = ::poll(fds.data(), fds.size(), attente);
        if (pret < 0 && errno != EINTR)
            throw std::system_error(errno, std::generic_category(), "poll");
        if (pret <= 0)
            continue;
        for (pollfd& f : fds) {
            if (f.fd < 0 || !(f.revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            const ssize_t n = ::read(f.fd, tampon.data(), tampon.size());
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                f.fd = -1;
                --ouverts;
                continue;
            }
            recu(f.fd == p.erreur(), QByteArray(tampon.data(), n));
        }
    }
    return true;
}

} // namespace Conversions
