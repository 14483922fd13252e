#include "conversions/images/BmpOs2.h"

#include <QtEndian>
#include <algorithm>

namespace Conversions {

namespace {

constexpr qsizetype enteteFichier = 14;
constexpr qsizetype enteteWindows = 40;

quint32 mot32(QByteArrayView o, qsizetype a) { return qFromLittleEndian<quint32>(o.data() + a); }

void ecrire32(QByteArray& o, qsizetype a, quint32 v) { qToLittleEndian(v, o.data() + a); }

// The sizes Qt reads, and the Windows ones in between that are not cut OS/2 headers.
bool tailleLue(quint32 taille)
{
    return taille == 12 || taille == 40 || taille == 52 || taille == 56 || taille >= 64;
}

} // namespace

std::optional<QByteArray> bmpAEnteteComplete(QByteArrayView o)
{
    if (o.size() < enteteFichier + 16 || o[0] != 'B' || o[1] != 'M')
        return std::nullopt;
    const quint32 taille = mot32(o, enteteFichier);
    const quint32 pixels = mot32(o, 10);
    if (taille < 16 || tailleLue(taille) || o.size() < enteteFichier + qsizetype(taille)
        || pixels < enteteFichier + taille || pixels > o.size())
        return std::nullopt;
    QByteArray entete = o.sliced(enteteFichier, std::min<qsizetype>(taille, enteteWindows)).toByteArray();
    entete.resize(enteteWindows, '\0');
    ecrire32(entete, 0, enteteWindows);
    // A header too short to count its colours has a palette up to the pixels: Qt would read
    // all 2^bits of them.
    const quint32 bits = qFromLittleEndian<quint16>(entete.constData() + 14);
    if (taille < 36 && bits >= 1 && bits <= 8)
        ecrire32(entete, 32, std::min<quint32>((pixels - quint32(enteteFichier) - taille) / 4, 1u << bits));
    QByteArray fichier = o.first(enteteFichier).toByteArray() + entete + o.sliced(enteteFichier + taille).toByteArray();
    ecrire32(fichier, 2, quint32(fichier.size()));
    ecrire32(fichier, 10, pixels - taille + enteteWindows);
    return fichier;
}

} // namespace Conversions
