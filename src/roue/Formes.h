#pragma once

#include <QPainterPath>
#include <QPointF>
#include <QRectF>

namespace Roue {

// The wheel's shapes, in view coordinates (y down). Angles in degrees, 0 straight up,
// growing clockwise; the point at angle a and radius r about c is (cx + r·sin a, cy − r·cos a).
namespace Formes {

QPointF point(QPointF centre, double angle, double rayon);

// Adds to `chemin` an arc of radius `rayon` about `centre` from angle `de` to angle `a`
// (clockwise on screen when a > de), starting at the current point.
void arc(QPainterPath& chemin, QPointF centre, double rayon, double de, double a);

} // namespace Formes

// One petal or tool cell: an annular sector with rounded corners.
struct Galet {
    double r1;  // inner radius
    double r2;  // outer radius
    double a0;  // start angle
    double a1;  // end angle, a1 > a0
    double rc;  // corner radius

    QPainterPath chemin(const QRectF& rect) const;
};

// The disc's outline, with a tab grown over the tools arc by `e` (0 to 1).
struct FormeRoue {
    double e;     // 0: plain disc, 1: full tab
    double am;    // the tab's centre angle
    double demi;  // the tab's half-width in degrees

    static constexpr double rayon = 184;

    QPainterPath chemin(const QRectF& rect) const;
};

// One eye closed in a smile: an upward arch.
struct Sourire {
    QPainterPath chemin(const QRectF& rect) const;
};

} // namespace Roue
