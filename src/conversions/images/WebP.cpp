#include "conversions/images/Images.h"

#include <algorithm>
#include <webp/encode.h>

namespace Conversions {

namespace {

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

QByteArray webp(const QImage& image, float qualite)
{
    const auto echec = [] { return Erreur::ecriture(QStringLiteral("WebP")); };
    if (image.isNull())
        throw echec();
    // Straight RGBA goes to the encoder as it is; premultiplied input is copied once
    // and brought back to straight colour.
    const bool premultipliee = image.pixelFormat().premultiplied() == QPixelFormat::Premultiplied;
    QImage pixels;
    if (premultipliee) {
        pixels = image.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
        depremultiplier(pixels.bits(), static_cast<std::size_t>(pixels.width()) * pixels.height());
    } else if (image.format() == QImage::Format_RGBA8888 || image.format() == QImage::Format_RGBX8888) {
        pixels = image;
    } else {
        pixels = image.convertToFormat(QImage::Format_RGBA8888);
    }
    if (pixels.isNull() || pixels.bytesPerLine() != 4 * pixels.width())
        throw echec();
    std::uint8_t* sortie = nullptr;
    const std::size_t taille = WebPEncodeRGBA(pixels.constBits(), pixels.width(), pixels.height(),
                                              static_cast<int>(pixels.bytesPerLine()), qualite, &sortie);
    if (taille < 1 || sortie == nullptr) {
        WebPFree(sortie);
        throw echec();
    }
    QByteArray donnees(reinterpret_cast<const char*>(sortie), static_cast<qsizetype>(taille));
    WebPFree(sortie);
    return donnees;
}

} // namespace Conversions
