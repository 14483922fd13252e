#include "conversions/archives/EntreesSpeciales.h"
#include "conversions/archives/RepertoireCentral.h"

#include <QFile>

#include <sys/stat.h>

namespace Conversions {

namespace {

constexpr quint32 unixZip = 3;          // "version made by" system of Unix writers

bool special(quint32 mode)
{
    const quint32 type = mode & S_IFMT;
    return type == S_IFCHR || type == S_IFBLK || type == S_IFIFO || type == S_IFSOCK;
}

// The stored names of the directory's records that `garder` keeps; none when it cannot be read.
QList<QByteArray> nomsOu(const QString& archive, bool (*garder)(const EntreeCentrale&))
{
    QList<QByteArray> noms;
    QFile f(archive);
    if (!f.open(QIODevice::ReadOnly))
        return noms;
    for (const EntreeCentrale& e : entreesCentrales(f))
        if (garder(e))
            noms.append(e.nom);
    return noms;
}

} // namespace

QSet<QByteArray> entreesSpeciales(const QString& archive)
{
    const QList<QByteArray> noms =
        nomsOu(archive, [](const EntreeCentrale& e) { return e.systeme == unixZip && special(e.attributs >> 16); });
    return QSet<QByteArray>(noms.begin(), noms.end());
}

QList<QByteArray> nomsCoupes(const QString& archive)
{
    return nomsOu(archive, [](const EntreeCentrale& e) { return e.nom.contains('\0'); });
}

} // namespace Conversions
