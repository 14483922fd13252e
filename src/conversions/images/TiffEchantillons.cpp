#include "conversions/images/Decodage.h"
#include "conversions/images/Decodeurs.h"

#include <QFile>
#include <QFloat16>
#include <algorithm>
#include <bit>
#include <cstring>
#include <tiffio.h>
#include <vector>

using vips::VImage;

namespace Conversions {

namespace {

struct Format {
    uint32_t largeur = 0, hauteur = 0;
    uint16_t bits = 1, parPixel = 1, sorte = SAMPLEFORMAT_UINT, photometrie = PHOTOMETRIC_MINISBLACK;
    uint16_t plans = PLANARCONFIG_CONTIG, prediction = PREDICTOR_NONE, orientation = ORIENTATION_TOPLEFT;
    bool flottant() const { return sorte == SAMPLEFORMAT_IEEEFP; }
    bool alpha() const { return parPixel == 2 || parPixel == 4; }
    uint32_t plusGrand() const { return (1u << bits) - 1; }
};

Format formatDe(TIFF* t)
{
    Format f;
    TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &f.largeur);
    TIFFGetField(t, TIFFTAG_IMAGELENGTH, &f.hauteur);
    TIFFGetFieldDefaulted(t, TIFFTAG_BITSPERSAMPLE, &f.bits);
    TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLESPERPIXEL, &f.parPixel);
    TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLEFORMAT, &f.sorte);
    TIFFGetField(t, TIFFTAG_PHOTOMETRIC, &f.photometrie);
    TIFFGetFieldDefaulted(t, TIFFTAG_PLANARCONFIG, &f.plans);
    // Only the compressions that know a predictor hold one: no default to ask the others for.
    TIFFGetField(t, TIFFTAG_PREDICTOR, &f.prediction);
    TIFFGetFieldDefaulted(t, TIFFTAG_ORIENTATION, &f.orientation);
    return f;
}

// What libvips refuses and libav reads as other samples than they are: half floats, and
// integers neither of a byte, a word nor the few narrow widths of bilevel and palette scans.
bool rare(const Format& f)
{
    if (f.flottant())
        return f.bits == 16;
    return (f.sorte == SAMPLEFORMAT_UINT || f.sorte == SAMPLEFORMAT_VOID) && f.bits > 2 && f.bits < 16 && f.bits != 4
        && f.bits != 8;
}

bool enTete(const QString& chemin)
{
    QFile f(chemin);
    char signature[2] = {};
    return f.open(QIODevice::ReadOnly) && f.read(signature, 2) == 2
        && ((signature[0] == 'I' && signature[1] == 'I') || (signature[0] == 'M' && signature[1] == 'M'));
}

// Grey or RGB, each with an optional alpha, in strips of whole pixels: what a wrong picture
// would be made of otherwise is refused.
void verifierDisposition(TIFF* t, const Format& f, const QString& chemin)
{
    if (!tailleAdmise(f.largeur, f.hauteur))
        refuser(chemin, QStringLiteral("image refusée, %1 × %2 pixels").arg(f.largeur).arg(f.hauteur));
    const bool gris = f.photometrie == PHOTOMETRIC_MINISBLACK || f.photometrie == PHOTOMETRIC_MINISWHITE;
    const bool couleur = f.photometrie == PHOTOMETRIC_RGB;
    if (!(gris && (f.parPixel == 1 || f.parPixel == 2)) && !(couleur && (f.parPixel == 3 || f.parPixel == 4)))
        refuser(chemin, QStringLiteral("libtiff : %1 échantillons de %2 bits en photométrie %3, non lus")
                            .arg(f.parPixel).arg(f.bits).arg(f.photometrie));
    if (TIFFIsTiled(t) || f.plans != PLANARCONFIG_CONTIG)
        refuser(chemin, QStringLiteral("libtiff : échantillons de %1 bits en tuiles ou en plans séparés, non lus")
                            .arg(f.bits));
}

qfloat16 demiFlottant(uint16_t motif) { return std::bit_cast<qfloat16>(motif); }

// 8-bit sRGB of each half float of linear light, by libvips' own conversion of float TIFFs.
const std::vector<uint8_t>& srgbDesDemiFlottants()
{
    static const std::vector<uint8_t> table = [] {
        std::vector<float> valeurs(1 << 16);
        for (uint32_t i = 0; i < valeurs.size(); ++i)
            valeurs[i] = float(demiFlottant(static_cast<uint16_t>(i)));
        vipsPret();
        const VImage un = VImage::new_from_memory(valeurs.data(), valeurs.size() * sizeof(float), int(valeurs.size()),
                                                  1, 1, VIPS_FORMAT_FLOAT);
        const VImage lineaire = VImage::bandjoin({un, un, un}).copy(
            VImage::option()->set("interpretation", VIPS_INTERPRETATION_scRGB));
        const VImage srgb = huitBits(lineaire).extract_band(0);
        size_t taille = 0;
        void* octets = srgb.write_to_memory(&taille);
        std::vector<uint8_t> t(static_cast<uint8_t*>(octets), static_cast<uint8_t*>(octets) + taille);
        g_free(octets);
        return t;
    }();
    return table;
}

// One row's samples: integers unpacked from the high bit and their horizontal differences
// summed, half floats as their 16-bit patterns.
void lireRangee(TIFF* t, const Format& f, uint32_t y, std::vector<uint8_t>& octets, std::vector<uint32_t>& codes,
                const QString& chemin)
{
    if (TIFFReadScanline(t, octets.data(), y, 0) < 0)
        refuser(chemin, QStringLiteral("libtiff : rangée %1 illisible").arg(y));
    if (f.flottant()) {  // libtiff turned them to this machine's byte order
        for (size_t i = 0; i < codes.size(); ++i) {
            uint16_t motif = 0;
            std::memcpy(&motif, octets.data() + 2 * i, 2);
            codes[i] = motif;
        }
        return;
    }
    uint64_t tampon = 0;
    int enReserve = 0;
    size_t k = 0;
    for (uint32_t& code : codes) {
        for (; enReserve < f.bits; enReserve += 8)
            tampon = (tampon << 8) | octets[k++];
        enReserve -= f.bits;
        code = static_cast<uint32_t>(tampon >> enReserve) & f.plusGrand();
    }
    if (f.prediction == PREDICTOR_HORIZONTAL)
        for (size_t i = f.parPixel; i < codes.size(); ++i)
            codes[i] = (codes[i] + codes[i - f.parPixel]) & f.plusGrand();
}

// A sample in 8 bits: integers from their own range, colours of min-is-white turned over.
uint8_t octetDe(const Format& f, uint32_t code, bool estAlpha)
{
    const bool inverse = f.photometrie == PHOTOMETRIC_MINISWHITE && !estAlpha;
    if (!f.flottant()) {
        const uint32_t v = inverse ? f.plusGrand() - code : code;
        return static_cast<uint8_t>((v * 255 + f.plusGrand() / 2) / f.plusGrand());
    }
    qfloat16 h = demiFlottant(static_cast<uint16_t>(code));
    if (estAlpha)  // 0 to 1, as libvips brings the alpha of a float TIFF to 8 bits
        return static_cast<uint8_t>(std::clamp(float(h), 0.0f, 1.0f) * 255.0f + 0.5f);
    if (inverse)
        h = qfloat16(1.0f - float(h));
    return srgbDesDemiFlottants()[std::bit_cast<uint16_t>(h)];
}

// Upright, as every decoder of this folder gives its pictures.
VImage redresser(VImage image, uint16_t orientation)
{
    if (orientation <= ORIENTATION_TOPLEFT || orientation > ORIENTATION_LEFTBOT)
        return image;
    image.set(VIPS_META_ORIENTATION, orientation);
    return image.autorot();
}

} // namespace

std::optional<VImage> lireTiffAEchantillonsRares(const QString& chemin)
{
    if (!enTete(chemin))
        return std::nullopt;
    const TiffOuvert tiff = ouvrirTiff(chemin);
    if (!tiff)
        return std::nullopt;
    TIFF* t = tiff.get();
    const Format f = formatDe(t);
    if (!rare(f))
        return std::nullopt;
    verifierDisposition(t, f, chemin);
    // libtiff sums differences only for samples of 8, 16, 32 or 64 bits: the others are ours.
    if (!f.flottant() && f.prediction == PREDICTOR_HORIZONTAL && !TIFFSetField(t, TIFFTAG_PREDICTOR, PREDICTOR_NONE))
        refuser(chemin, QStringLiteral("libtiff : prédiction non désactivée"));
    const size_t parRangee = size_t(f.largeur) * f.parPixel;
    std::vector<uint8_t> octets(static_cast<size_t>(TIFFScanlineSize64(t)));
    if (octets.size() < (parRangee * f.bits + 7) / 8)
        refuser(chemin, QStringLiteral("libtiff : rangées plus courtes que leurs échantillons"));
    std::vector<uint32_t> codes(parRangee);
    std::vector<uint8_t> pixels(parRangee * f.hauteur);
    const uint16_t alpha = f.alpha() ? f.parPixel - 1 : f.parPixel;
    for (uint32_t y = 0; y < f.hauteur; ++y) {
        lireRangee(t, f, y, octets, codes, chemin);
        uint8_t* sortie = pixels.data() + size_t(y) * parRangee;
        for (size_t i = 0; i < parRangee; ++i)
            sortie[i] = octetDe(f, codes[i], i % f.parPixel == alpha);
    }
    return redresser(copie(pixels.data(), pixels.size(), int(f.largeur), int(f.hauteur), f.parPixel), f.orientation);
}

} // namespace Conversions
