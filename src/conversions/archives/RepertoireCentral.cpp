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
    qint64 enregistrements = f.size() - n + i;
    Plage champTaille{enregistrements + 12, 4};
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
        enregistrements = static_cast<qint64>(record);
        champTaille = {enregistrements + 40, 8};
    }
    if (!dansLeFichier(debut, taille, f.size()) || debut > static_cast<quint64>(enregistrements))
        return std::nullopt;
    return RepertoireCentral{static_cast<qint64>(debut), static_cast<qint64>(taille), entrees, enregistrements,
                             champTaille};
}

namespace {

constexpr qint64 enteteCentral = 46;

// The records from the directory's start, one after another up to the end records, at most
// as many as announced; `apres` is where the last one ends.
QList<EntreeCentrale> parcourir(QFile& f, const RepertoireCentral& r, qint64& apres)
{
    QList<EntreeCentrale> liste;
    apres = r.debut;
    while (quint64(liste.size()) < r.entrees && apres + enteteCentral <= r.fin && f.seek(apres)) {
        const QByteArray entete = f.read(enteteCentral);
        const auto* p = reinterpret_cast<const uchar*>(entete.constData());
        if (entete.size() < enteteCentral || lire32(p) != 0x02014b50)
            break;
        const qint64 nom = lire16(p + 28);
        const qint64 champs = lire16(p + 30);
        const qint64 suite = enteteCentral + nom + champs + lire16(p + 32);
        if (apres + suite > r.fin)
            break;
        const QByteArray octets = f.read(nom);
        if (octets.size() < nom)
            break;
        liste.append({octets, lire16(p + 4) >> 8, lire16(p + 10), lire32(p + 38), lire32(p + 42),
                      Plage{apres + enteteCentral + nom, champs}, lire32(p + 20), apres});
        apres += suite;
    }
    return liste;
}

} // namespace

QList<EntreeCentrale> entreesCentrales(QFile& f)
{
    const std::optional<RepertoireCentral> repertoire = repertoireCentral(f);
    qint64 apres = 0;
    return repertoire ? parcourir(f, *repertoire, apres) : QList<EntreeCentrale>();
}

std::optional<qint64> tailleReelle(QFile& f)
{
    const std::optional<RepertoireCentral> r = repertoireCentral(f);
    if (!r)
        return std::nullopt;
    qint64 apres = 0;
    const qsizetype lues = parcourir(f, *r, apres).size();
    // Only records that run to the end records, as writers put them: what lies between
    // (a signature) makes no size wrong.
    if (lues == 0 || quint64(lues) != r->entrees || apres != r->fin || apres - r->debut == r->taille)
        return std::nullopt;
    return apres - r->debut;
}

} // namespace Conversions
