#include "plateforme/media/Orientation.h"

#include "plateforme/media/Av.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <QTransform>
#include <cmath>
#include <exception>

namespace Media {

QImage Orientation::appliquer(const QImage& image) const
{
    const QImage tournee = quarts == 0 ? image : image.transformed(QTransform().rotate(90.0 * quarts));
    return miroir ? tournee.mirrored(true, false) : tournee;
}

Orientation orientation(const int32_t* matrice)
{
    if (!matrice)
        return {};
    double a = matrice[0], c = matrice[3];
    const double b = matrice[1], d = matrice[4];
    Orientation o;
    // A negative determinant is a flip of the first column; undone, the rest is a rotation.
    o.miroir = a * d - b * c < 0;
    if (o.miroir) {
        a = -a;
        c = -c;
    }
    const double sx = std::hypot(a, c), sy = std::hypot(b, d);
    if (sx == 0 || sy == 0)
        return {};
    const double degres = std::atan2(b / sy, a / sx) * 180 / M_PI;
    o.quarts = ((static_cast<int>(std::lround(degres / 90.0)) % 4) + 4) % 4;
    return o;
}

Orientation orientationVideo(const QString& chemin)
{
    try {
        const FormatEntree f = ouvrirEntree(chemin);
        const int i = av_find_best_stream(f.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
        if (i < 0)
            return {};
        return orientation(reinterpret_cast<const int32_t*>(
            av_stream_get_side_data(f->streams[i], AV_PKT_DATA_DISPLAYMATRIX, nullptr)));
    } catch (const std::exception&) {
        return {};  // unreadable: the player shows nothing either
    }
}

} // namespace Media
