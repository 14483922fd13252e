// Pictures read by Qt's own readers (icons, BMP, TGA), behind our size guard. The first byte
// chooses the format, the rest is the file. Beside not crashing: where Qt's reader alone finds
// one picture with a pixel that is not opaque, our picture keeps an alpha band.
#include "Cible.h"

#include "conversions/Erreur.h"
#include "conversions/images/Decodeurs.h"
#include "conversions/images/Vips.h"

#include <QImage>
#include <QImageReader>

#include <cstdlib>

namespace {

bool transparente(const QString& chemin, const QByteArray& format, QSize taille)
{
    QImageReader lecteur(chemin, format);
    lecteur.setAutoDetectImageFormat(false);
    if (lecteur.imageCount() > 1)
        return false;  // ours takes the largest, this one the first
    const QImage image = lecteur.read().convertToFormat(QImage::Format_ARGB32);
    if (image.size() != taille)
        return false;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 255)
                return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille)
{
    if (taille < 1)
        return 0;
    static const char* const formats[] = {"ico", "bmp", "tga"};
    const QByteArray format(formats[donnees[0] % 3]);
    Conversions::vipsPret();
    const QString chemin = fuzz::ecrire(QStringLiteral("entree.") + QString::fromLatin1(format),
                                        fuzz::octets(donnees + 1, taille - 1));
    try {
        const vips::VImage image = Conversions::lireParQt(chemin);
        if (image.width() <= 0 || image.height() <= 0)
            std::abort();
        if (image.bands() != 4 && transparente(chemin, format, QSize(image.width(), image.height())))
            std::abort();
    } catch (const Conversions::Erreur&) {
    }
    return 0;
}
