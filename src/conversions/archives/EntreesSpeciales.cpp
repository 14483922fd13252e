#include "conversions/archives/EntreesSpeciales.h"
#include "conversions/archives/RepertoireCentral.h"

#include <QFile>

#include <sys/stat.h>

namespace Conversions {

namespace {

constexpr quint32 unixZip = 3;          // "version made by" system of Unix writers

quint32 lire16(const uchar* p) { return p[0] | (p[1] << 8); }
quint32 lire32(const uchar* p) { return lire16(p) | (lire16(p + 2) << 16); }

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
    const std::optional<RepertoireCentral> repertoire = repertoireCentral(f);
    if (!repertoire || repertoire->taille == 0 || !f.seek(repertoire->debut))
        return noms;
    const QByteArray rep = f.read(repertoire->taille);
    constexpr qsizetype entete = 46;
    for (qsizetype i = 0; i + entete <= rep.size();) {
        const auto* p = reinterpret_cast<const uchar*>(rep.constData() + i);
        if (lire32(p) != 0x02014b50)
            break;
        const qsizetype nom = lire16(p + 28);
        const qsizetype suite = entete + nom + lire16(p + 30) + lire16(p + 32);
        if (i + suite > rep.size())
            break;
        if ((lire16(p + 4) >> 8) == unixZip && special(lire32(p + 38) >> 16))
            noms.insert(rep.mid(i + entete, nom));
        i += suite;
    }
    return noms;
}

} // namespace Conversions
