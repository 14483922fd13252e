#include "conversions/images/TgaGris.h"

#include <algorithm>
#include <cstring>

namespace Conversions {

namespace {

constexpr qsizetype entete = 18;
constexpr int gris = 3;
constexpr int grisEnPaquets = 11;
constexpr qsizetype parPixel = 2;

unsigned octet(QByteArrayView o, qsizetype a) { return static_cast<std::uint8_t>(o[a]); }
unsigned mot(QByteArrayView o, qsizetype a) { return octet(o, a) | (octet(o, a + 1) << 8); }

// Where the pixels start: past the identifier and any colour map.
qsizetype debutDesPixels(QByteArrayView o)
{
    const qsizetype carte = octet(o, 1) != 0 ? qsizetype(mot(o, 5)) * ((octet(o, 7) + 7) / 8) : 0;
    return entete + octet(o, 0) + carte;
}

// The pixels in the order they are stored, runs expanded. False when they run short.
bool deroules(QByteArrayView o, qsizetype debut, bool enPaquets, std::uint8_t* sortie, qsizetype pixels)
{
    if (!enPaquets) {
        if (debut > o.size() || (o.size() - debut) / parPixel < pixels)
            return false;
        std::memcpy(sortie, o.data() + debut, size_t(pixels * parPixel));
        return true;
    }
    qsizetype p = debut;
    for (qsizetype fait = 0; fait < pixels;) {
        if (p >= o.size())
            return false;
        const unsigned tete = octet(o, p++);
        const qsizetype n = std::min<qsizetype>((tete & 0x7F) + 1, pixels - fait);
        const qsizetype lus = (tete & 0x80) ? 1 : n;
        if (o.size() - p < lus * parPixel)
            return false;
        if (tete & 0x80)
            for (qsizetype i = 0; i < n; ++i)
                std::memcpy(sortie + (fait + i) * parPixel, o.data() + p, parPixel);
        else
            std::memcpy(sortie + fait * parPixel, o.data() + p, size_t(n * parPixel));
        p += lus * parPixel;
        fait += n;
    }
    return true;
}

} // namespace

std::optional<QSize> tgaGrisAlpha(QByteArrayView o)
{
    if (o.size() < entete)
        return std::nullopt;
    const unsigned type = octet(o, 2);
    if ((type != gris && type != grisEnPaquets) || octet(o, 16) != 16)
        return std::nullopt;
    return QSize(int(mot(o, 12)), int(mot(o, 14)));
}

bool decoderTgaGrisAlpha(QByteArrayView o, std::uint8_t* sortie)
{
    const std::optional<QSize> taille = tgaGrisAlpha(o);
    if (!taille)
        return false;
    const qsizetype largeur = taille->width();
    const qsizetype hauteur = taille->height();
    if (!deroules(o, debutDesPixels(o), octet(o, 2) == grisEnPaquets, sortie, largeur * hauteur))
        return false;
    // Rows from the bottom unless the descriptor says top, pixels from the right when it says so.
    const unsigned descripteur = octet(o, 17);
    const qsizetype ligne = largeur * parPixel;
    if (!(descripteur & 0x20))
        for (qsizetype y = 0; y < hauteur / 2; ++y)
            std::swap_ranges(sortie + y * ligne, sortie + (y + 1) * ligne, sortie + (hauteur - 1 - y) * ligne);
    if (descripteur & 0x10)
        for (qsizetype y = 0; y < hauteur; ++y)
            for (qsizetype x = 0; x < largeur / 2; ++x) {
                std::uint8_t* gauche = sortie + y * ligne + x * parPixel;
                std::swap_ranges(gauche, gauche + parPixel, sortie + (y + 1) * ligne - (x + 1) * parPixel);
            }
    return true;
}

} // namespace Conversions
