#include "conversions/archives/RepertoireCentral.h"

#include <QByteArray>

#include <algorithm>

namespace Conversions {

namespace {

constexpr qint64 tailleFin = 22;        // end of central directory record, without comment
constexpr qint64 commentaireMax = 65535;
constexpr qint64 tailleLocalisateur = 20;
constexpr qint64 tailleFin64 = 56;

quint32 lire16(const uchar* p) { return p[0] | (p[1] << 8); }
quint32 lire32(const uchar* p) { return lire16(p) | (lire16(p + 2) << 16); }
quint64 lire64(const uchar* p) { return lire32(p) | (static_cast<quint64>(lire32(p + 4)) << 32); }

// Compared as unsigned before any sum: the records' 64-bit fields may hold anything.
bool dansLeFichier(quint64 debut, quint64 taille, qint64 tailleFichier)
{
    const auto fichier = static_cast<quint64>(tailleFichier);
    return debut <= fichier && taille <= fichier - debut;
}

} // namespace

std::optional<RepertoireCentral> repertoireCentral(QFile& f)
{
    const qint64 n = std::min(f.size(), tailleFin + commentaireMax + tailleLocalisateur);
    if (n < tailleFin || !f.seek(f.size() - n))
        return std::nullopt;
    const QByteArray fin = f.read(n);
    const qsizetype i = fin.lastIndexOf(QByteArray("PK\x05\x06", 4));
    if (i < 0 || fin.size() - i < tailleFin)
        return std::nullopt;
    const auto* p = reinterpret_cast<const uchar*>(fin.constData() + i);
    quint64 debut = lire32(p + 16);
    quint64 taille = lire32(p + 12);
    quint64 entrees = lire16(p + 10);
    if (debut == 0xffffffff || taille == 0xffffffff) {
        // Zip64: the locator just before points to the larger record.
        if (i < tailleLocalisateur || lire32(p - tailleLocalisateur) != 0x07064b50)
            return std::nullopt;
        const quint64 record = lire64(p - tailleLocalisateur + 8);
        if (!dansLeFichier(record, tailleFin64, f.size()) || !f.seek(static_cast<qint64>(record)))
            return std::nullopt;
        const QByteArray z64 = f.read(tailleFin64);
        const auto* q = reinterpret_cast<const uchar*>(z64.constData());
        if (z64.size() < tailleFin64 || lire32(q) != 0x06064b50)
            return std::nullopt;
        entrees = lire64(q + 32);
        taille = lire64(q + 40);
        debut = lire64(q + 48);
    }
    if (!dansLeFichier(debut, taille, f.size()))
        return std::nullopt;
    return RepertoireCentral{static_cast<qint64>(debut), static_cast<qint64>(taille), entrees};
}

QList<EntreeCentrale> entreesCentrales(QFile& f)
{
    QList<EntreeCentrale> liste;
    const std::optional<RepertoireCentral> repertoire = repertoireCentral(f);
    if (!repertoire || repertoire->taille == 0 || !f.seek(repertoire->debut))
        return liste;
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
        liste.append({rep.mid(i + entete, nom), lire16(p + 4) >> 8, lire32(p + 38), lire32(p + 42)});
        i += suite;
    }
    return liste;
}

} // namespace Conversions
