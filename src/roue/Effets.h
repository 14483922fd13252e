#pragma once

#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QPainterPath>
#include <QPointF>
#include <optional>

namespace Roue {

// Soft shadows, glows and blurred strokes. Blurring is the costly part of a frame, so each
// blurred picture is made once and kept, keyed by its shape, colour, radius and resolution.
namespace Effets {

struct Flou {
    QPainterPath forme;
    double trait = 0;         // 0: the shape is filled; otherwise stroked this wide
    QColor couleur;
    double rayon = 0;         // Gaussian standard deviation, logical pixels
    // Multiplies the result's alpha (a gradient in the shape's coordinates).
    std::optional<QLinearGradient> masque;
};

// Paints the blurred shape with `p`'s transform, moved by `decalage`.
void dessiner(QPainter& p, const Flou& flou, QPointF decalage = {});

// The alpha of `image` blurred by a Gaussian of standard deviation `rayon` device pixels
// (three box passes), painted in `couleur`. The image keeps its size: leave a margin.
QImage flouter(const QImage& image, double rayon, const QColor& couleur);

// `image` itself blurred (every channel), standard deviation `rayon` pixels; the edges are
// extended rather than faded.
QImage flouterCouleurs(const QImage& image, double rayon);

// Draws `image` at `lieu` at its own device pixel ratio. (The raster engine ignores a
// picture's ratio when the painter only translates on a 1:1 device: always give the size.)
void dessinerImage(QPainter& p, QPointF lieu, const QImage& image);

// Draws `brute`, a picture of `dpr` device pixels per point marked 1:1, at `lieu`. Where the
// painter only translates, the pixels are copied as they are (the raster engine's plain
// blit, far cheaper than its resampling path, and sharper).
void copier(QPainter& p, QPointF lieu, const QImage& brute, double dpr);

} // namespace Effets

} // namespace Roue
