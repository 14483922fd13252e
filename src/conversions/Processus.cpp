#include "conversions/Processus.h"

#include "conversions/Annulation.h"

#include <QFile>

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
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

struct Actions {
    posix_spawn_file_actions_t a;
    Actions() { posix_spawn_file_actions_init(&a); }
    ~Actions() { posix_spawn_file_actions_destroy(&a); }
};

} // namespace

Processus::Processus(const QString& programme, const QStringList& arguments, Flux flux,
                     const QString& dossierDeTravail)
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

    Actions actions;
    posix_spawn_file_actions_addopen(&actions.a, 0, "/dev/null", O_RDONLY, 0);
    if (flux == Flux::tubes) {
        posix_spawn_file_actions_adddup2(&actions.a, tubeSortie[1], 1);
        posix_spawn_file_actions_adddup2(&actions.a, tubeErreur[1], 2);
    } else {
        posix_spawn_file_actions_addopen(&actions.a, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions.a, 2, "/dev/null", O_WRONLY, 0);
    }
    const QByteArray dossier = QFile::encodeName(dossierDeTravail);
    if (!dossierDeTravail.isEmpty())
        posix_spawn_file_actions_addchdir_np(&actions.a, dossier.constData());

    std::vector<QByteArray> octets;
    octets.push_back(QFile::encodeName(programme));
    for (const QString& a : arguments)
        octets.push_back(a.toUtf8());
    std::vector<char*> argv;
    for (QByteArray& o : octets)
        argv.push_back(o.data());
    argv.push_back(nullptr);

    int e = 0;
    try {
        // Started and registered in one step: a stop of the engine either prevents it or ends it.
        Emprise emprise;
        e = ::posix_spawn(&pid_, argv[0], &actions.a, nullptr, argv.data(), environ);
        if (e == 0)
            emprise.tenir(pid_);
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
        throw std::system_error(e, std::generic_category(), "posix_spawn");
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
    int ouverts = 2;
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
