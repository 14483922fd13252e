#include "conversions/travail/Reserve.h"

#include "conversions/Chemins.h"
#include "conversions/Erreur.h"
#include "conversions/Journaux.h"

#include <QCoreApplication>
#include <QFile>
#include <algorithm>
#include <limits>
#include <mutex>
#include <sys/resource.h>
#include <utility>
#include <unistd.h>

namespace Conversions {

namespace {

std::mutex verrou;
qint64 reservee = 0;  // held by the conversions running now
std::optional<qint64> imposee;

// The kernel's estimate of what can be allocated without swapping, in bytes.
qint64 memoireDuSysteme()
{
    QFile f(QStringLiteral("/proc/meminfo"));
    if (f.open(QIODevice::ReadOnly)) {
        for (QByteArray ligne = f.readLine(); !ligne.isEmpty(); ligne = f.readLine())
            if (ligne.startsWith("MemAvailable:"))
                return ligne.mid(13).trimmed().split(' ').first().toLongLong() * 1024;
    }
    // Without the kernel's estimate, free pages are the nearest thing.
    return static_cast<qint64>(sysconf(_SC_AVPHYS_PAGES)) * sysconf(_SC_PAGESIZE);
}

// Under a bound on the address space (setrlimit, ulimit -v) an allocation past what is left of
// it fails whatever the machine has free, and GLib's end the process: what is left counts too.
qint64 espaceRestant()
{
    rlimit limite{};
    if (getrlimit(RLIMIT_AS, &limite) != 0 || limite.rlim_cur == RLIM_INFINITY)
        return std::numeric_limits<qint64>::max();
    QFile f(QStringLiteral("/proc/self/statm"));  // the address space taken, in pages, first
    const qint64 pages = f.open(QIODevice::ReadOnly) ? f.readLine().split(' ').first().toLongLong() : 0;
    return std::max<qint64>(static_cast<qint64>(limite.rlim_cur) - pages * sysconf(_SC_PAGESIZE), 0);
}

// Takes `octets` when they fit; what was left goes to `reste`.
bool prendre(qint64 octets, qint64& reste)
{
    const qint64 systeme = std::min(memoireDuSysteme(), espaceRestant());
    std::lock_guard garde(verrou);
    const qint64 disponible = imposee.value_or(systeme);
    reste = disponible / 4 * 3 - reservee;
    if (octets > reste)
        return false;
    reservee += octets;
    return true;
}

} // namespace

Reserve::Reserve(qint64 octets, const QString& source) : octets_(octets)
{
    qint64 reste = 0;
    if (prendre(octets, reste))
        return;
    qCWarning(journalConversions).noquote() << QStringLiteral("mémoire : %1 demande %2 Mo, %3 Mo restent")
                                              .arg(source, QString::number(octets >> 20),
                                                   QString::number(std::max<qint64>(reste, 0) >> 20));
    octets_ = 0;
    throw Erreur::rien(QCoreApplication::translate("Conversions", "« %1 » est trop grand").arg(nomDe(source)));
}

std::optional<Reserve> Reserve::essayer(qint64 octets)
{
    qint64 reste = 0;
    if (!prendre(octets, reste))
        return std::nullopt;
    return Reserve(octets);
}

Reserve::Reserve(Reserve&& autre) noexcept : octets_(std::exchange(autre.octets_, 0)) {}

Reserve::~Reserve()
{
    std::lock_guard garde(verrou);
    reservee -= octets_;
}

void imposerMemoireDisponible(std::optional<qint64> octets)
{
    std::lock_guard garde(verrou);
    imposee = octets;
}

} // namespace Conversions
