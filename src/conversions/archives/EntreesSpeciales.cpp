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

} // namespace

QSet<QByteArray> entreesSpeciales(const QString& archive)
{
    QSet<QByteArray> noms;
    QFile f(archive);
    if (!f.open(QIODevice::ReadOnly))
        return noms;
    for (const EntreeCentrale& e : entreesCentrales(f))
        if (e.systeme == unixZip && special(e.attributs >> 16))
            noms.insert(e.nom);
    return noms;
}

QList<QByteArray> nomsCoupes(const QString& archive)
{
    QList<QByteArray> noms;
    QFile f(archive);
    if (!f.open(QIODevice::ReadOnly))
        return noms;
    for (const EntreeCentrale& e : entreesCentrales(f))
        if (e.nom.contains('\0'))
            noms.append(e.nom);
    return noms;
}

} // namespace Conversions
