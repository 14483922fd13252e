#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>

// How the image tools' canvases show a photo: fitted with at least 12 points on every side,
// centred, enlarged when small. Plain geometry, y growing downwards.
struct Toile {
    double k = 1;   // canvas points per photo pixel
    QPointF o;      // where the photo's top-left corner stands in the canvas
    QSizeF image;   // the photo's size in pixels (1 × 1 while there is none)

    static Toile ajuster(QSizeF toile, QSizeF image);

    QPointF versEcran(QPointF p) const { return o + k * p; }
    QRectF versEcran(const QRectF& r) const { return {versEcran(r.topLeft()), k * r.size()}; }
    // A canvas point in photo pixels, wherever it falls.
    QPointF versPhoto(QPointF p) const { return (p - o) / k; }
    // The same kept inside the photo.
    QPointF versImage(QPointF p) const;
};
