#include "conversions/images/IcoMasque.h"

#include <cstdint>

namespace Conversions {

namespace {

std::uint32_t lu(QByteArrayView o, qint64 a, int octets)
{
    std::uint32_t v = 0;
    for (int k = octets - 1; k >= 0; --k)
        v = (v << 8) | static_cast<std::uint8_t>(o[a + k]);
    return v;
}

// Where the mask of the bitmap at `debut` starts, its rows bottom-up; -1 when it has none.
qint64 debutDuMasque(QByteArrayView o, qint64 debut, QSize taille)
{
    if (debut < 0 || o.size() - debut < 40)
        return -1;
    const qint64 enTete = lu(o, debut, 4);
    const qint64 largeur = static_cast<std::int32_t>(lu(o, debut + 4, 4));
    const qint64 hauteurs = static_cast<std::int32_t>(lu(o, debut + 8, 4));  // picture and mask
    const int bits = static_cast<int>(lu(o, debut + 14, 2));
    const std::uint32_t compression = lu(o, debut + 16, 4);
    const qint64 utilisees = lu(o, debut + 32, 4);
    if (enTete < 40 || enTete > o.size() || bits <= 0 || bits >= 32 || compression != 0
        || largeur != taille.width() || hauteurs != 2 * qint64(taille.height()))
        return -1;
    const qint64 couleurs = bits <= 8 ? (utilisees > 0 ? utilisees : qint64(1) << bits) : 0;
    if (couleurs > 256)
        return -1;
    const qint64 pas = (largeur * bits + 31) / 32 * 4;
    return debut + enTete + 4 * couleurs + pas * taille.height();
}

} // namespace

QImage avecMasqueIco(QImage image, QByteArrayView o, int indice)
{
    if (image.isNull() || indice < 0 || o.size() < 6 || lu(o, 0, 2) != 0 || lu(o, 2, 2) != 1
        || indice >= static_cast<int>(lu(o, 4, 2)) || o.size() < 6 + 16 * qint64(indice + 1))
        return image;
    const qint64 masque = debutDuMasque(o, lu(o, 6 + 16 * qint64(indice) + 12, 4), image.size());
    const qint64 pas = (qint64(image.width()) + 31) / 32 * 4;
    if (masque < 0 || masque + pas * image.height() > o.size())
        return image;
    image.convertTo(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        const qint64 ligne = masque + pas * (image.height() - 1 - y);
        auto* pixels = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (static_cast<std::uint8_t>(o[ligne + x / 8]) & (0x80 >> (x % 8)))
                pixels[x] = qRgba(0, 0, 0, 0);
    }
    return image;
}

} // namespace Conversions
