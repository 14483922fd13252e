#include "conversions/images/Decodage.h"
#include "conversions/images/Decodeurs.h"
#include "conversions/travail/Reserve.h"

#include <QFile>
#include <QFloat16>
#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <tiffio.h>
#include <vector>

using vips::VImage;

namespace Conversions {

namespace {

struct Format {
    uint32_t largeur = 0, hauteur = 0, rangeesParBande = 0;
    uint32_t largeurTuile = 0, hauteurTuile = 0;  // 0: strips
    uint16_t bits = 1, parPixel = 1, sorte = SAMPLEFORMAT_UINT, photometrie = PHOTOMETRIC_MINISBLACK;
    uint16_t plans = PLANARCONFIG_CONTIG, prediction = PREDICTOR_NONE, orientation = ORIENTATION_TOPLEFT;
    uint16_t extras = 0, premierExtra = EXTRASAMPLE_UNSPECIFIED;
    bool flottant() const { return sorte == SAMPLEFORMAT_IEEEFP; }
    bool tuiles() const { return largeurTuile > 0; }
    bool lab() const { return photometrie == PHOTOMETRIC_CIELAB || photometrie == PHOTOMETRIC_ICCLAB; }
    // The colour samples of a pixel its photometry names, 0 for one not read here.
    uint16_t couleurs() const
    {
        switch (photometrie) {
        case PHOTOMETRIC_MINISBLACK:
        case PHOTOMETRIC_MINISWHITE: return 1;
        case PHOTOMETRIC_RGB:
        case PHOTOMETRIC_CIELAB:
        case PHOTOMETRIC_ICCLAB: return 3;
        case PHOTOMETRIC_SEPARATED: return 4;
        default: return 0;
        }
    }
    bool gris() const { return photometrie == PHOTOMETRIC_MINISBLACK || photometrie == PHOTOMETRIC_MINISWHITE; }
    bool alpha() const { return parPixel == 2 || parPixel == 4; }
    bool separes() const { return plans == PLANARCONFIG_SEPARATE; }
    bool signe() const { return sorte == SAMPLEFORMAT_INT; }
    uint64_t plusGrand() const { return bits >= 64 ? ~uint64_t(0) : (uint64_t(1) << bits) - 1; }
    // Samples in one stored row: every band's, or one band's when each has its own plane.
    size_t parRangee() const { return size_t(largeur) * (separes() ? 1 : parPixel); }
};

Format formatDe(TIFF* t)
{
    Format f;
    TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &f.largeur);
    TIFFGetField(t, TIFFTAG_IMAGELENGTH, &f.hauteur);
    TIFFGetFieldDefaulted(t, TIFFTAG_ROWSPERSTRIP, &f.rangeesParBande);
    f.rangeesParBande = std::clamp(f.rangeesParBande, 1u, std::max(f.hauteur, 1u));
    TIFFGetFieldDefaulted(t, TIFFTAG_BITSPERSAMPLE, &f.bits);
    TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLESPERPIXEL, &f.parPixel);
    TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLEFORMAT, &f.sorte);
    TIFFGetField(t, TIFFTAG_PHOTOMETRIC, &f.photometrie);
    TIFFGetFieldDefaulted(t, TIFFTAG_PLANARCONFIG, &f.plans);
    // Only the compressions that know a predictor hold one: no default to ask the others for.
    TIFFGetField(t, TIFFTAG_PREDICTOR, &f.prediction);
    TIFFGetFieldDefaulted(t, TIFFTAG_ORIENTATION, &f.orientation);
    if (TIFFIsTiled(t)) {
        TIFFGetField(t, TIFFTAG_TILEWIDTH, &f.largeurTuile);
        TIFFGetField(t, TIFFTAG_TILELENGTH, &f.hauteurTuile);
    }
    const uint16_t* sortes = nullptr;
    if (TIFFGetField(t, TIFFTAG_EXTRASAMPLES, &f.extras, &sortes) && f.extras > 0 && sortes)
        f.premierExtra = sortes[0];
    return f;
}

// What libvips refuses or misreads and libav reads as other samples than they are: half
// floats; floats and signed integers of min-is-white, which libvips does not turn over
// right; integers neither of a byte, a word nor the few narrow widths of bilevel and palette
// scans; and those narrow widths several to a pixel (RGBA of 4 bits).
bool rare(const Format& f)
{
    const bool blancANul = f.photometrie == PHOTOMETRIC_MINISWHITE;
    if (f.flottant())
        return f.bits == 16 || ((f.bits == 32 || f.bits == 64) && blancANul);
    if (f.signe())
        return blancANul && (f.bits == 8 || f.bits == 16 || f.bits == 32);
    if ((f.sorte != SAMPLEFORMAT_UINT && f.sorte != SAMPLEFORMAT_VOID) || f.bits >= 16 || f.bits == 8)
        return false;
    if (f.bits == 1 || f.bits == 2 || f.bits == 4)
        return f.parPixel > 1 && (f.gris() || f.photometrie == PHOTOMETRIC_RGB);
    return true;
}

bool enTete(const QString& chemin)
{
    QFile f(chemin);
    char signature[2] = {};
    return f.open(QIODevice::ReadOnly) && f.read(signature, 2) == 2
        && ((signature[0] == 'I' && signature[1] == 'I') || (signature[0] == 'M' && signature[1] == 'M'));
}

// Grey or RGB, each with an optional alpha, in strips of whole pixels or planes: what a
// wrong picture would be made of otherwise is refused.
void verifierDisposition(const Format& f, const QString& chemin)
{
    if (!tailleAdmise(f.largeur, f.hauteur))
        refuser(chemin, QStringLiteral("image refusée, %1 × %2 pixels").arg(f.largeur).arg(f.hauteur));
    if (!(f.gris() && (f.parPixel == 1 || f.parPixel == 2)) && !(f.photometrie == PHOTOMETRIC_RGB && (f.parPixel == 3 || f.parPixel == 4)))
        refuser(chemin, QStringLiteral("libtiff : %1 échantillons de %2 bits en photométrie %3, non lus")
                            .arg(f.parPixel).arg(f.bits).arg(f.photometrie));
}

// 8-bit sRGB of each half float of linear light, by libvips' own conversion of float TIFFs.
const std::vector<uint8_t>& srgbDesDemiFlottants()
{
    static const std::vector<uint8_t> table = [] {
        std::vector<float> valeurs(1 << 16);
        for (uint32_t i = 0; i < valeurs.size(); ++i)
            valeurs[i] = float(std::bit_cast<qfloat16>(static_cast<uint16_t>(i)));
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

// The samples of one stored row, in order: integers of 16 or 32 bits and floats in this
// machine's order (libtiff turned them), other integers unpacked from the high bit.
class Rangee {
public:
    Rangee(const Format& f, const uint8_t* octets)
        : octets_(octets), bits_(f.bits), masque_(static_cast<uint32_t>(f.plusGrand()))
    {
    }

    uint32_t entier()
    {
        if (bits_ == 16 || bits_ == 32) {
            uint32_t v = 0;
            if (bits_ == 16) {
                uint16_t court = 0;
                std::memcpy(&court, octets_, 2);
                v = court;
            } else {
                std::memcpy(&v, octets_, 4);
            }
            octets_ += bits_ / 8;
            return v;
        }
        for (; enReserve_ < bits_; enReserve_ += 8)
            tampon_ = (tampon_ << 8) | *octets_++;
        enReserve_ -= bits_;
        return static_cast<uint32_t>(tampon_ >> enReserve_) & masque_;
    }

    float flottant()
    {
        float v = 0;
        if (bits_ == 16) {
            uint16_t motif = 0;
            std::memcpy(&motif, octets_, 2);
            v = float(std::bit_cast<qfloat16>(motif));
        } else if (bits_ == 32) {
            std::memcpy(&v, octets_, 4);
        } else {
            double d = 0;
            std::memcpy(&d, octets_, 8);
            v = static_cast<float>(d);
        }
        octets_ += bits_ / 8;
        return v;
    }

private:
    const uint8_t* octets_;
    const int bits_;
    const uint32_t masque_;
    uint64_t tampon_ = 0;
    int enReserve_ = 0;
};

// An integer in 8 bits, from its type's whole range (a signed one from its most negative
// value); colours of min-is-white turned over.
uint8_t octetEntier(const Format& f, uint32_t code, bool estAlpha)
{
    const uint64_t plusGrand = f.plusGrand();
    uint64_t v = f.signe() ? code ^ (uint64_t(1) << (f.bits - 1)) : code;
    if (f.photometrie == PHOTOMETRIC_MINISWHITE && !estAlpha)
        v = plusGrand - v;
    return static_cast<uint8_t>((v * 255 + plusGrand / 2) / plusGrand);
}

// A float of linear light in 8-bit sRGB, through the nearest half float; an alpha from 0 to
// 1, as libvips brings the alpha of a float TIFF to 8 bits.
uint8_t octetFlottant(const Format& f, float v, bool estAlpha)
{
    if (estAlpha)
        return static_cast<uint8_t>((std::isnan(v) ? 0.0f : std::clamp(v, 0.0f, 1.0f)) * 255.0f + 0.5f);
    if (f.photometrie == PHOTOMETRIC_MINISWHITE)
        v = 1.0f - v;
    return srgbDesDemiFlottants()[std::bit_cast<uint16_t>(qfloat16(v))];
}

// `n` pixels of one stored row into the picture's row `sortie`, 8 bits a sample, bands
// interleaved: every band, or band `plan` alone when they lie in planes. Integers' horizontal
// differences are summed here (libtiff sums them only for samples of 8, 16, 32 or 64 bits).
void convertirRangee(const Format& f, const uint8_t* octets, uint8_t* sortie, uint16_t plan, uint32_t n)
{
    Rangee rangee(f, octets);
    const size_t voisin = f.separes() ? 1 : f.parPixel;
    const uint16_t alpha = f.alpha() ? f.parPixel - 1 : f.parPixel;
    std::array<uint32_t, 4> avant{};
    const size_t echantillons = size_t(n) * (f.separes() ? 1 : f.parPixel);
    for (size_t i = 0; i < echantillons; ++i) {
        const uint16_t bande = f.separes() ? plan : static_cast<uint16_t>(i % f.parPixel);
        uint8_t& cible = sortie[f.separes() ? i * f.parPixel + plan : i];
        if (f.flottant()) {
            cible = octetFlottant(f, rangee.flottant(), bande == alpha);
            continue;
        }
        uint32_t code = rangee.entier();
        if (f.prediction == PREDICTOR_HORIZONTAL && i >= voisin)
            code = (code + avant[bande]) & static_cast<uint32_t>(f.plusGrand());
        avant[bande] = code;
        cible = octetEntier(f, code, bande == alpha);
    }
}

// `n` samples of plane `plan` into the picture's row `sortie` of `parPixel` bands, each of
// `octets` bytes, as they are stored.
void copierPlan(const uint8_t* echantillons, uint8_t* sortie, uint16_t plan, uint32_t n, uint16_t parPixel, int octets)
{
    for (uint32_t i = 0; i < n; ++i)
        std::memcpy(sortie + (size_t(i) * parPixel + plan) * octets, echantillons + size_t(i) * octets, size_t(octets));
}

// One stored row: `n` pixels of plane `plan` (every plane when they are interleaved) from
// column `x` of row `y`.
using RangeeLue = std::function<void(const uint8_t* octets, uint32_t x, uint32_t y, uint32_t n, uint16_t plan)>;

// Every stored row of the picture, strip by strip or tile by tile. `octetsDeLImage` and one
// strip or tile are set aside first, kept by the result; a file whose data is missing fails
// at its first strip or tile, before the caller allocates anything.
std::unique_ptr<Reserve> lireLesRangees(TIFF* t, const Format& f, const QString& chemin, double octetsDeLImage,
                                        const RangeeLue& rangee)
{
    const uint32_t plans = f.separes() ? f.parPixel : 1u;
    const uint64_t ligne = f.tuiles() ? TIFFTileRowSize64(t) : TIFFScanlineSize64(t);
    const uint64_t morceau = f.tuiles() ? TIFFTileSize64(t) : TIFFStripSize64(t);
    const uint32_t largeur = f.tuiles() ? f.largeurTuile : f.largeur;
    const uint32_t hauteur = f.tuiles() ? f.hauteurTuile : f.rangeesParBande;
    if (f.tuiles() && f.hauteurTuile == 0)
        refuser(chemin, QStringLiteral("libtiff : tuiles sans hauteur"));
    const uint64_t parLigne = uint64_t(largeur) * (f.separes() ? 1 : f.parPixel);
    if (ligne == 0 || ligne < (parLigne * f.bits + 7) / 8 || morceau < ligne * hauteur)
        refuser(chemin, QStringLiteral("libtiff : rangées plus courtes que leurs échantillons"));
    const uint32_t colonnes = (f.largeur + largeur - 1) / largeur;
    const uint32_t parPlan = colonnes * ((f.hauteur + hauteur - 1) / hauteur);
    const uint32_t morceaux = f.tuiles() ? TIFFNumberOfTiles(t) : TIFFNumberOfStrips(t);
    if (morceaux != parPlan * plans)
        refuser(chemin, QStringLiteral("libtiff : %1 bandes ou tuiles pour %2 rangées").arg(morceaux).arg(f.hauteur));
    auto memoire = std::make_unique<Reserve>(static_cast<qint64>(octetsDeLImage + double(morceau)), chemin);
    const std::unique_ptr<uint8_t[]> octets(new uint8_t[morceau]);
    for (uint32_t m = 0; m < morceaux; ++m) {
        const uint32_t x = (m % parPlan) % colonnes * largeur;
        const uint32_t y = (m % parPlan) / colonnes * hauteur;
        const uint32_t rangees = std::min(hauteur, f.hauteur - y);
        const tmsize_t voulus = static_cast<tmsize_t>(f.tuiles() ? morceau : rangees * ligne);
        const tmsize_t lus = f.tuiles() ? TIFFReadEncodedTile(t, m, octets.get(), voulus)
                                        : TIFFReadEncodedStrip(t, m, octets.get(), voulus);
        if (lus < voulus)
            refuser(chemin, QStringLiteral("libtiff : bande ou tuile %1 illisible").arg(m));
        for (uint32_t r = 0; r < rangees; ++r)
            rangee(octets.get() + r * ligne, x, y + r, std::min(largeur, f.largeur - x),
                   static_cast<uint16_t>(m / parPlan));
    }
    return memoire;
}

// The memory set aside stays so while the picture lives.
void garder(const VImage& image, std::unique_ptr<Reserve> memoire)
{
    g_object_set_data_full(G_OBJECT(image.get_image()), "vemo-reserve", memoire.release(),
                           [](gpointer r) { delete static_cast<Reserve*>(r); });
}

// The picture read into 8 bits a sample.
VImage lire(TIFF* t, const Format& f, const QString& chemin)
{
    std::optional<VImage> image;
    auto memoire = lireLesRangees(t, f, chemin, double(f.largeur) * f.hauteur * f.parPixel,
                                  [&](const uint8_t* octets, uint32_t x, uint32_t y, uint32_t n, uint16_t plan) {
                                      if (!image)
                                          image = aRemplir(int(f.largeur), int(f.hauteur), f.parPixel);
                                      convertirRangee(f, octets, VIPS_IMAGE_ADDR(image->get_image(), x, y), plan, n);
                                  });
    if (!image)
        refuser(chemin, QStringLiteral("libtiff : aucune bande"));
    garder(*image, std::move(memoire));
    return *image;
}

// Lab samples as stored (L from 0, a and b signed, or offset by half their range in ICC's
// Lab) into L*, a*, b* as floats; alpha from 0 to 255.
VImage depuisLabStocke(const VImage& brut, const Format& f)
{
    const double plusGrand = double(f.plusGrand());
    const double moitie = (plusGrand + 1) / 2;
    const double parUnite = f.bits == 16 ? 256.0 : 1.0;
    const VImage ab = brut.extract_band(1, VImage::option()->set("n", 2));
    const VImage signes =
        f.photometrie == PHOTOMETRIC_CIELAB ? (ab >= moitie).ifthenelse(ab - 2 * moitie, ab) : ab - moitie;
    VImage lab = brut.extract_band(0).linear(100.0 / plusGrand, 0.0).bandjoin(signes.linear(1.0 / parUnite, 0.0));
    if (brut.bands() > 3)
        lab = lab.bandjoin(brut.extract_band(3).linear(255.0 / plusGrand, f.bits == 16 ? 0.5 : 0.0));
    return lab.copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_LAB));
}

// The samples of 8 or 16 bits as libvips' own loader describes them, for enSrgb() to convert:
// Lab, CMYK with the file's profile, grey turned over when white is zero, associated alpha
// brought back to straight colour.
VImage decrire(TIFF* t, VImage brut, const Format& f)
{
    if (f.lab())
        return depuisLabStocke(brut, f);
    const bool seize = f.bits == 16;
    VipsInterpretation sens = f.photometrie == PHOTOMETRIC_SEPARATED ? VIPS_INTERPRETATION_CMYK
        : f.couleurs() == 1 ? (seize ? VIPS_INTERPRETATION_GREY16 : VIPS_INTERPRETATION_B_W)
                            : (seize ? VIPS_INTERPRETATION_RGB16 : VIPS_INTERPRETATION_sRGB);
    if (f.photometrie == PHOTOMETRIC_MINISWHITE) {
        const VImage gris = brut.extract_band(0).invert();
        brut = brut.bands() > 1 ? gris.bandjoin(brut.extract_band(1)) : gris;
    }
    VImage image = brut.copy(VImage::option()->set("interpretation", sens));
    uint32_t taille = 0;
    void* profil = nullptr;
    if (f.photometrie == PHOTOMETRIC_SEPARATED && TIFFGetField(t, TIFFTAG_ICCPROFILE, &taille, &profil) && taille > 0)
        image.set(VIPS_META_ICC_NAME, nullptr, profil, taille);
    if (f.extras > 0 && f.premierExtra == EXTRASAMPLE_ASSOCALPHA)
        image = image.unpremultiply(VImage::option()->set("max_alpha", seize ? 65535.0 : 255.0)).cast(brut.format());
    return image;
}

// Whether the samples are read here as they are stored, for libvips to convert: planes of
// 8- or 16-bit integers that libvips refuses (tiles) or misreads (Lab), of colours with at
// most one extra sample.
bool enPlansATransposer(const Format& f)
{
    return f.separes() && (f.tuiles() || f.lab()) && (f.bits == 8 || f.bits == 16)
        && (f.sorte == SAMPLEFORMAT_UINT || f.sorte == SAMPLEFORMAT_VOID || (f.lab() && f.sorte == SAMPLEFORMAT_INT))
        && f.couleurs() > 0 && (f.parPixel == f.couleurs() || f.parPixel == f.couleurs() + 1);
}

// Planes of 8 or 16 bits interleaved, each sample kept as stored, then converted by libvips
// to 8-bit sRGB or grey.
VImage transposer(TIFF* t, const Format& f, const QString& chemin)
{
    if (!tailleAdmise(f.largeur, f.hauteur))
        refuser(chemin, QStringLiteral("image refusée, %1 × %2 pixels").arg(f.largeur).arg(f.hauteur));
    const int octets = f.bits / 8;
    std::optional<VImage> brut;
    auto memoire = lireLesRangees(t, f, chemin, double(f.largeur) * f.hauteur * f.parPixel * octets,
                                  [&](const uint8_t* echantillons, uint32_t x, uint32_t y, uint32_t n, uint16_t plan) {
                                      if (!brut)
                                          brut = aRemplir(int(f.largeur), int(f.hauteur), f.parPixel,
                                                          octets == 2 ? VIPS_FORMAT_USHORT : VIPS_FORMAT_UCHAR);
                                      copierPlan(echantillons, VIPS_IMAGE_ADDR(brut->get_image(), x, y), plan, n,
                                                 f.parPixel, octets);
                                  });
    if (!brut)
        refuser(chemin, QStringLiteral("libtiff : aucune bande"));
    garder(*brut, std::move(memoire));
    return huitBits(enSrgb(decrire(t, *brut, f)));
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
    if (!rare(f) && enPlansATransposer(f))
        return redresser(transposer(t, f, chemin), f.orientation);
    // libvips refuses tiles of separate planes: libtiff's RGBA interface reads the other kinds.
    if (f.tuiles() && f.separes() && !rare(f))
        return lireTiffParRgba(chemin);
    if (!rare(f))
        return std::nullopt;
    verifierDisposition(f, chemin);
    if (!f.flottant() && f.prediction == PREDICTOR_HORIZONTAL && !TIFFSetField(t, TIFFTAG_PREDICTOR, PREDICTOR_NONE))
        refuser(chemin, QStringLiteral("libtiff : prédiction non désactivée"));
    return redresser(lire(t, f, chemin), f.orientation);
}

} // namespace Conversions
