#include "conversions/documents/ImageDocument.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QSet>

namespace Conversions {

namespace {

constexpr qint64 pixelsMax = 50'000'000;

} // namespace

std::optional<ImageDocument> lireImageDocument(const QByteArray& octets)
{
    QByteArray copie = octets;
    QBuffer tampon(&copie);
    tampon.open(QIODevice::ReadOnly);
    QImageReader lecteur(&tampon);
    const QSize taille = lecteur.size();
    const QByteArray format = lecteur.format().toLower();
    // Only the common raster formats: a document's "picture" may be anything Qt has a plugin for.
    static const QSet<QByteArray> lus{"png", "jpeg", "gif", "bmp", "webp", "tiff"};
    if (!lus.contains(format) || !lecteur.canRead() || taille.isEmpty()
        || static_cast<qint64>(taille.width()) * taille.height() > pixelsMax)
        return std::nullopt;
    if (format == "png" || format == "jpeg" || format == "gif" || format == "bmp")
        return ImageDocument{octets, format, taille};
    const QImage image = lecteur.read();
    if (image.isNull())
        return std::nullopt;
    QByteArray png;
    QBuffer sortie(&png);
    sortie.open(QIODevice::WriteOnly);
    if (!image.save(&sortie, "PNG"))
        return std::nullopt;
    return ImageDocument{png, "png", image.size()};
}

} // namespace Conversions
