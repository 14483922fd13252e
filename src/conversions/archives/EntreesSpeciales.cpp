#include "conversions/archives/EntreesSpeciales.h"

#include <QFile>

#include <sys/stat.h>

namespace Conversions {

namespace {

constexpr qint64 tailleFin = 22;        // end of central directory record, without comment
constexpr qint64 commentaireMax = 65535;
constexpr quint32 unixZip = 3;          // "version made by" system of Unix writers

quint32 lire16(const uchar* p) { return p[0] | (p[1] << 8); }
quint32 lire32(const uchar* p) { return lire16(p) | (lire16(p + 2) << 16); }
quint64 lire64(const uchar* p) { return lire32(p) | (static_cast<quint64>(lire32(p + 4)) << 32); }

// Where the central directory starts and how long it is, from the end records.
bool repertoire(QFile& f, qint64& debut, qint64& taille)
{
    const qint64 n = std::min(f.size(), tailleFin + commentaireMax + 20);
    if (n < tailleFin || !f.seek(f.size() - n))
        return false;
    const QByteArray fin = f.read(n);
    const qsizetype i = fin.lastIndexOf(QByteArray("PK\x05\x06", 4));
    if (i < 0 || fin.size() - i < tailleFin)
        return false;
    const auto* p = reinterpret_cast<const uchar*>(fin.constData() + i);
    debut = lire32(p + 16);
    taille = lire32(p + 12);
    if (debut != 0xffffffff && taille != 0xffffffff)
        return true;
    // Zip64: the locator just before points to the larger record.
    if (i < 20 || lire32(p - 20) != 0x07064b50 || !f.seek(static_cast<qint64>(lire64(p - 20 + 8))))
        return false;
    const QByteArray z64 = f.read(56);
    if (z64.size() < 56 || lire32(reinterpret_cast<const uchar*>(z64.constData())) != 0x06064b50)
        return false;
    taille = static_cast<qint64>(lire64(reinterpret_cast<const uchar*>(z64.constData()) + 40));
    debut = static_cast<qint64>(lire64(reinterpret_cast<const uchar*>(z64.constData()) + 48));
    return true;
}

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
    qint64 debut = 0;
    qint64 taille = 0;
    if (!f.open(QIODevice::ReadOnly) || !repertoire(f, debut, taille) || taille <= 0 || debut + taille > f.size()
        || !f.seek(debut))
        return noms;
    const QByteArray rep = f.read(taille);
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
