#include "conversions/EnParallele.h"
#include "conversions/images/Images.h"

#include <algorithm>
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

// Lossy WebP of straight RGBA rows. Method 2 instead of the default 4 costs a third of the
// time for files about 1 % larger; libwebp's second thread runs only on an idle core.
// The rows are let go once libwebp has made its own planes of them.
bool encoder(QImage& pixels, float qualite, Encodage& e)
{
    if (!WebPConfigPreset(&e.config, WEBP_PRESET_DEFAULT, qualite) || !WebPPictureInit(&e.image))
        return false;
    e.config.method = 2;
    const qint64 taille = static_cast<qint64>(pixels.width()) * pixels.height();
    e.config.thread_level = taille >= pixelsPourUnSecondFil && coeursLibres() > 1 ? 1 : 0;
    e.image.width = pixels.width();
    e.image.height = pixels.height();
    e.image.writer = WebPMemoryWrite;
    e.image.custom_ptr = &e.sortie;
    if (!WebPValidateConfig(&e.config)
        || !WebPPictureImportRGBA(&e.image, pixels.constBits(), static_cast<int>(pixels.bytesPerLine())))
        return false;
    pixels = QImage();
    return WebPEncode(&e.config, &e.image);
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
    if (!encoder(pixels, qualite, e) || e.sortie.size < 1 || e.sortie.mem == nullptr)
        throw echec();
    return QByteArray(reinterpret_cast<const char*>(e.sortie.mem), static_cast<qsizetype>(e.sortie.size));
}

} // namespace Conversions
