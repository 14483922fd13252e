#include "fenetres/commun/modele/Memoire.h"

#include <QFile>
#include <malloc.h>
#include <thread>
#include <unistd.h>

namespace Memoire {

void preparer()
{
    static const bool fait = [] {
        // Buffers of a megabyte or more (a decoded photo's regions, its previews) come from
        // their own mappings, which go back to the system as soon as they are freed; a fixed
        // threshold also stops the allocator from raising it after each large free and
        // keeping the next ones. Smaller ones stay in the arenas, for speed.
        mallopt(M_MMAP_THRESHOLD, 1024 * 1024);
        // Each worker thread of the libraries would otherwise get an arena of its own (up to
        // eight per core), each keeping freed pages.
        mallopt(M_ARENA_MAX, 8);
        return true;
    }();
    (void)fait;
}

void rendre()
{
    // libvips keeps no operation cache here (its size is 0), so its buffers are already
    // freed; what stays is free memory held by the allocator's arenas, one per thread.
    std::thread([] { malloc_trim(0); }).detach();
}

long long residente()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> champs = f.readAll().simplified().split(' ');
    return champs.size() > 1 ? champs[1].toLongLong() * ::sysconf(_SC_PAGESIZE) : 0;
}

} // namespace Memoire
