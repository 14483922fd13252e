#include "application/Arret.h"

#include "application/Journal.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace Application {

namespace {

int tube[2] = {-1, -1};

// Only what is safe in a handler: one write, the quitting itself happens in the event loop.
void signale(int)
{
    const char octet = 1;
    [[maybe_unused]] const ssize_t n = ::write(tube[1], &octet, 1);
}

} // namespace

void arreterSurSignal(std::function<void()> quitter)
{
    if (tube[0] >= 0)
        return;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, tube) != 0) {
        journal(QStringLiteral("signaux d’arrêt non suivis : un arrêt laissera les travaux en cours"));
        return;
    }
    auto* notificateur = new QSocketNotifier(tube[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notificateur, &QSocketNotifier::activated, notificateur, [quitter = std::move(quitter)] {
        char octets[16];
        while (::read(tube[0], octets, sizeof octets) > 0) {
        }
        quitter();
    });
    struct sigaction action{};
    action.sa_handler = signale;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(s, &action, nullptr);
}

} // namespace Application
