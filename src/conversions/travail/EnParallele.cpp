#include "conversions/travail/EnParallele.h"

#include "conversions/sorties/Annulation.h"

#include <QFile>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <exception>
#include <mutex>
#include <sys/resource.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

namespace Conversions {

namespace {

struct Temps {
    double inactif = 0;
    double total = 0;
};

// The first line of /proc/stat: the time every core spent in each state since start-up.
Temps tempsDesCoeurs()
{
    QFile f(QStringLiteral("/proc/stat"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QList<QByteArray> champs = f.readLine().simplified().split(' ');
    Temps t;
    // cpu user nice system idle iowait irq softirq steal …
    for (qsizetype i = 1; i < champs.size() && i <= 8; ++i) {
        const double v = champs[i].toDouble();
        t.total += v;
        if (i == 4 || i == 5)
            t.inactif += v;
    }
    return t;
}

} // namespace

int coeursLibres()
{
    const int coeurs = std::max(1, QThread::idealThreadCount());
    const Temps avant = tempsDesCoeurs();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const Temps apres = tempsDesCoeurs();
    const double total = apres.total - avant.total;
    if (total <= 0)
        return 1;
    const double libres = (apres.inactif - avant.inactif) / total * coeurs;
    return std::clamp(static_cast<int>(libres + 0.5), 1, coeurs);
}

Releve releve()
{
    const Temps t = tempsDesCoeurs();
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    const double secondes = static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec)
                          + static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
    return {t.inactif, t.total, secondes * static_cast<double>(sysconf(_SC_CLK_TCK))};
}

int coeursLibresDepuis(const Releve& avant)
{
    const int coeurs = std::max(1, QThread::idealThreadCount());
    const Releve apres = releve();
    const double total = apres.total - avant.total;
    // Under a tenth of a second on every core, the ticks are too coarse.
    if (avant.total <= 0 || total < 0.1 * static_cast<double>(sysconf(_SC_CLK_TCK)) * coeurs)
        return coeursLibres();
    const double libres = (apres.inactif - avant.inactif + apres.nous - avant.nous) / total * coeurs;
    return std::clamp(static_cast<int>(libres + 0.5), 1, coeurs);
}

void enParallele(int n, int fils, const std::function<void(int)>& travail)
{
    std::mutex verrou;
    int suivant = 0;
    int echoue = n;  // the smallest index that failed
    std::exception_ptr echec;
    // The outputs made on every thread belong to the caller's conversion.
    Lot* const lot = Lot::courant();
    auto ouvrier = [&] {
        const Lot::Relais relais(lot);
        for (;;) {
            int i;
            {
                const std::lock_guard garde(verrou);
                if (suivant >= n || echec)
                    return;
                i = suivant++;
            }
            try {
                travail(i);
            } catch (...) {
                const std::lock_guard garde(verrou);
                if (i < echoue) {
                    echoue = i;
                    echec = std::current_exception();
                }
            }
        }
    };
    fils = std::clamp(fils, 1, std::max(1, n));
    std::vector<std::thread> autres;
    for (int k = 1; k < fils; ++k) {
        try {
            autres.emplace_back(ouvrier);
        } catch (const std::system_error&) {
            break;  // fewer threads, same work
        }
    }
    ouvrier();  // the calling thread works too
    for (std::thread& t : autres)
        t.join();
    if (echec)
        std::rethrow_exception(echec);
}

} // namespace Conversions
