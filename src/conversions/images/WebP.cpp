#include "conversions/images/WebP.h"

#include "conversions/travail/EnParallele.h"
#include "conversions/images/Images.h"

#include <algorithm>
#include <cstring>
#include <vector>
#include <utility>
#include <webp/encode.h>

namespace Conversions {

namespace {

// Below this many pixels an encode is over before a second thread pays for itself.
constexpr qint64 pixelsPourUnSecondFil = 4'000'000;

struct Encodage {
    WebPConfig config{};
    WebPPicture image{};
    WebPMemoryWriter sortie{};
    Encodage() { WebPMemoryWriterInit(&sortie); }
    ~Encodage()
    {
        WebPPictureFree(&image);
        WebPMemoryWriterClear(&sortie);
    }
    Encodage(const Encodage&) = delete;
    Encodage& operator=(const Encodage&) = delete;
};

// Lossy WebP at `largeur` × `hauteur`. Method 2 instead of the default 4 costs a third of
// the time for files about 1 % larger; libwebp's second thread runs only on an idle core.
bool preparer(Encodage& e, float qualite, int largeur, int hauteur)
{
    if (!WebPConfigPreset(&e.config, WEBP_PRESET_DEFAULT, qualite) || !WebPPictureInit(&e.image))
        return false;
    e.config.method = 2;
    const qint64 taille = static_cast<qint64>(largeur) * hauteur;
    e.config.thread_level = taille >= pixelsPourUnSecondFil && coeursLibres() > 1 ? 1 : 0;
    e.image.width = largeur;
    e.image.height = hauteur;
    e.image.writer = WebPMemoryWrite;
    e.image.custom_ptr = &e.sortie;
    return WebPValidateConfig(&e.config);
}

// Straight RGBA rows; they are let go once libwebp has made its own planes of them.
bool encoder(QImage& pixels, float qualite, Encodage& e)
{
    if (!preparer(e, qualite, pixels.width(), pixels.height())
        || !WebPPictureImportRGBA(&e.image, pixels.constBits(), static_cast<int>(pixels.bytesPerLine())))
        return false;
    pixels = QImage();
    return WebPEncode(&e.config, &e.image);
}

void copierPlan(const uint8_t* source, int pasSource, uint8_t* cible, int pasCible, int largeur, int lignes)
{
    for (int y = 0; y < lignes; ++y)
        std::memcpy(cible + static_cast<size_t>(y) * pasCible, source + static_cast<size_t>(y) * pasSource,
                    static_cast<size_t>(largeur));
}

// `lignes` rows of straight RGBA from row `premiere` (even) turned into the planes of
// `image`. Without sharp conversion or dithering libwebp turns each pair of rows into YUV on
// its own: strips of an even height give the planes that a whole import would.
bool importer(WebPPicture& image, const uint8_t* rgba, int premiere, int lignes)
{
    WebPPicture bande;
    if (!WebPPictureInit(&bande))
        return false;
    bande.width = image.width;
    bande.height = lignes;
    const bool lu = WebPPictureImportRGBA(&bande, rgba, 4 * image.width);
    if (lu) {
        const int largeurUV = (image.width + 1) / 2;
        const int lignesUV = (lignes + 1) / 2;
        copierPlan(bande.y, bande.y_stride, image.y + static_cast<size_t>(premiere) * image.y_stride, image.y_stride,
                   image.width, lignes);
        copierPlan(bande.u, bande.uv_stride, image.u + static_cast<size_t>(premiere / 2) * image.uv_stride,
                   image.uv_stride, largeurUV, lignesUV);
        copierPlan(bande.v, bande.uv_stride, image.v + static_cast<size_t>(premiere / 2) * image.uv_stride,
                   image.uv_stride, largeurUV, lignesUV);
        uint8_t* alpha = image.a ? image.a + static_cast<size_t>(premiere) * image.a_stride : nullptr;
        if (alpha && bande.a)
            copierPlan(bande.a, bande.a_stride, alpha, image.a_stride, image.width, lignes);
        else if (alpha)  // an opaque strip comes without its plane
            for (int y = 0; y < lignes; ++y)
                std::memset(alpha + static_cast<size_t>(y) * image.a_stride, 255, static_cast<size_t>(image.width));
    }
    WebPPictureFree(&bande);
    return lu;
}

QByteArray resultat(const Encodage& e)
{
    if (e.sortie.size < 1 || e.sortie.mem == nullptr)
        throw Erreur::ecriture(QStringLiteral("WebP"));
    return QByteArray(reinterpret_cast<const char*>(e.sortie.mem), static_cast<qsizetype>(e.sortie.size));
}

// Premultiplied RGBA pixels back to straight colour, in place: for 0 < alpha < 255 each
// colour becomes min(c·255 / a, 255), truncated; other pixels are left as they are.
void depremultiplier(std::uint8_t* rgba, std::size_t pixels)
{
    for (std::size_t i = 0; i < pixels; ++i, rgba += 4) {
        const unsigned a = rgba[3];
        if (a == 0 || a == 255)
            continue;
        for (int c = 0; c < 3; ++c)
            rgba[c] = static_cast<std::uint8_t>(std::min(rgba[c] * 255u / a, 255u));
    }
}

} // namespace

QByteArray webp(QImage image, float qualite)
{
    const auto echec = [] { return Erreur::ecriture(QStringLiteral("WebP")); };
    if (image.isNull())
        throw echec();
    // Straight RGBA goes to the encoder as it is; premultiplied input is copied once
    // and brought back to straight colour.
    const bool premultipliee = image.pixelFormat().premultiplied() == QPixelFormat::Premultiplied;
    QImage pixels;
    if (premultipliee)
        pixels = image.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    else if (image.format() == QImage::Format_RGBA8888 || image.format() == QImage::Format_RGBX8888)
        pixels = std::move(image);
    else
        pixels = image.convertToFormat(QImage::Format_RGBA8888);
    image = QImage();  // `pixels` alone holds the picture now, until libwebp has its planes
    if (premultipliee)
        depremultiplier(pixels.bits(), static_cast<std::size_t>(pixels.width()) * pixels.height());
    if (pixels.isNull() || pixels.bytesPerLine() != 4 * pixels.width())
        throw echec();
    Encodage e;
    if (!encoder(pixels, qualite, e))
        throw echec();
    return resultat(e);
}

QByteArray webpParBandes(const vips::VImage& image, float qualite)
{
    const vips::VImage pixels = rgba(image);
    const int largeur = pixels.width();
    Encodage e;
    if (!preparer(e, qualite, largeur, pixels.height()))
        throw Erreur::ecriture(QStringLiteral("WebP"));
    e.image.colorspace = image.has_alpha() ? WEBP_YUV420A : WEBP_YUV420;
    if (!WebPPictureAlloc(&e.image))
        throw Erreur::ecriture(QStringLiteral("WebP"));
    constexpr int lignesParBande = 64;
    std::vector<uint8_t> bande(static_cast<size_t>(largeur) * 4 * lignesParBande);
    int premiere = 0;
    int lignes = 0;
    parLignes(pixels, [&](int y, const uint8_t* ligne) {
        std::memcpy(bande.data() + static_cast<size_t>(lignes) * largeur * 4, ligne, static_cast<size_t>(largeur) * 4);
        if (++lignes < lignesParBande && y + 1 < pixels.height())
            return;
        if (!importer(e.image, bande.data(), premiere, lignes))
            throw Erreur::ecriture(QStringLiteral("WebP"));
        premiere += lignes;
        lignes = 0;
    });
    if (!WebPEncode(&e.config, &e.image))
        throw Erreur::ecriture(QStringLiteral("WebP"));
    return resultat(e);
}

} // namespace Conversions
