#include "fenetres/Memoire.h"

#include <QFile>
#include <malloc.h>
#include <thread>
#include <unistd.h>

namespace Memoire {

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
