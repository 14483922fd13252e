#include "conversions/images/BmpChamps.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstdlib>

namespace Conversions {

namespace {

constexpr qsizetype enteteFichier = 14;
constexpr std::uint32_t biRgb = 0;
constexpr std::uint32_t biBitfields = 3;
constexpr std::uint32_t biAlphaBitfields = 6;

std::uint32_t mot32(QByteArrayView o, qsizetype a)
{
    std::uint32_t v = 0;
    for (int k = 3; k >= 0; --k)
        v = (v << 8) | static_cast<std::uint8_t>(o[a + k]);
    return v;
}

std::uint16_t mot16(QByteArrayView o, qsizetype a)
{
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(o[a]) | (static_cast<std::uint8_t>(o[a + 1]) << 8));
}

// One field of a pixel: where it sits and how many values it has.
struct Champ {
    std::uint32_t masque = 0;
    int decalage = 0;
    std::uint64_t maximum = 0;

    explicit Champ(std::uint32_t m) : masque(m)
    {
        if (m != 0) {
            decalage = std::countr_zero(m);
            maximum = m >> decalage;
        }
    }
    // The field brought to 0–255, rounded: a 9-bit green keeps its value, a 1-bit red is 0 or 255.
    std::uint8_t valeur(std::uint32_t pixel, std::uint8_t absent) const
    {
        if (maximum == 0)
            return absent;
        const std::uint64_t v = (pixel & masque) >> decalage;
        return static_cast<std::uint8_t>(std::min<std::uint64_t>(255, (v * 255 + maximum / 2) / maximum));
    }
};

struct Entete {
    qint64 largeur = 0;
    qint64 hauteur = 0;  // negative: rows run from the top
    int bits = 0;
    qsizetype debutPixels = 0;
    std::array<std::uint32_t, 4> masques{};  // red, green, blue, alpha
};

bool lireEntete(QByteArrayView o, Entete& e)
{
    if (o.size() < enteteFichier + 40 || o[0] != 'B' || o[1] != 'M')
        return false;
    const std::uint32_t taille = mot32(o, enteteFichier);
    const std::uint32_t compression = mot32(o, enteteFichier + 16);
    e.bits = mot16(o, enteteFichier + 14);
    e.largeur = static_cast<std::int32_t>(mot32(o, enteteFichier + 4));
    e.hauteur = static_cast<std::int32_t>(mot32(o, enteteFichier + 8));
    e.debutPixels = mot32(o, 10);
    if (taille >= 40 && compression == biRgb && e.bits == 16) {  // 5 bits each, named by no mask
        e.masques = {0x7C00, 0x03E0, 0x001F, 0};
        return true;
    }
    if (taille < 40 || (compression != biBitfields && compression != biAlphaBitfields) || (e.bits != 16 && e.bits != 32))
        return false;
    // The masks follow a 40-byte header; later headers hold them at the same place.
    const int n = taille >= 56 || compression == biAlphaBitfields ? 4 : 3;
    if (o.size() < enteteFichier + 40 + 4 * n)
        return false;
    for (int i = 0; i < n; ++i)
        e.masques[static_cast<std::size_t>(i)] = mot32(o, enteteFichier + 40 + 4 * i);
    return true;
}

} // namespace

bool bmpAChamps(QByteArrayView octets)
{
    Entete e;
    return lireEntete(octets, e);
}

QImage decoderBmpAChamps(QByteArrayView o, double pixelsAuPlus)
{
    Entete e;
    if (!lireEntete(o, e) || e.largeur <= 0 || e.hauteur == 0
        || static_cast<double>(e.largeur) * static_cast<double>(std::abs(e.hauteur)) > pixelsAuPlus)
        return {};
    const qint64 hauteur = std::abs(e.hauteur);
    const qint64 pas = (e.largeur * e.bits + 31) / 32 * 4;
    if (e.debutPixels < enteteFichier + 40 || e.debutPixels > o.size() || (o.size() - e.debutPixels) / pas < hauteur)
        return {};
    const Champ r(e.masques[0]), g(e.masques[1]), b(e.masques[2]), a(e.masques[3]);
    const int octetsParPixel = e.bits / 8;
    QImage image(static_cast<int>(e.largeur), static_cast<int>(hauteur), QImage::Format_RGBA8888);
    if (image.isNull())
        return {};
    bool alpha = false;  // some writers leave every alpha at 0: the picture is opaque then
    for (qint64 y = 0; y < hauteur; ++y) {
        const qsizetype ligne = e.debutPixels + (e.hauteur < 0 ? y : hauteur - 1 - y) * pas;
        auto* sortie = image.scanLine(static_cast<int>(y));
        for (qint64 x = 0; x < e.largeur; ++x) {
            const qsizetype p = ligne + x * octetsParPixel;
            const std::uint32_t pixel = e.bits == 16 ? mot16(o, p) : mot32(o, p);
            sortie[4 * x] = r.valeur(pixel, 0);
            sortie[4 * x + 1] = g.valeur(pixel, 0);
            sortie[4 * x + 2] = b.valeur(pixel, 0);
            sortie[4 * x + 3] = a.valeur(pixel, 255);
            alpha = alpha || sortie[4 * x + 3] != 0;
        }
    }
    if (a.maximum == 0 || !alpha)
        return image.convertToFormat(QImage::Format_RGB888);
    return image;
}

} // namespace Conversions
