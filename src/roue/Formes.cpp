#include "roue/Formes.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Roue {

namespace {

double radians(double degres) { return degres * std::numbers::pi / 180; }
double degres(double radians) { return radians * 180 / std::numbers::pi; }

} // namespace

namespace Formes {

QPointF point(QPointF c, double angle, double rayon)
{
    const double a = radians(angle);
    return {c.x() + rayon * std::sin(a), c.y() - rayon * std::cos(a)};
}

void arc(QPainterPath& chemin, QPointF c, double rayon, double de, double a)
{
    // Qt's arcs start at 3 o'clock and run anticlockwise on screen: 90 − angle, negated sweep.
    const QRectF carre(c.x() - rayon, c.y() - rayon, 2 * rayon, 2 * rayon);
    chemin.arcTo(carre, 90 - de, -(a - de));
}

} // namespace Formes

QPainterPath Galet::chemin(const QRectF& rect) const
{
    using Formes::point;
    const QPointF c = rect.center();
    const double dO = degres(rc / r2);
    const double dI = degres(rc / r1);
    QPainterPath p;
    p.moveTo(point(c, a0 + dO, r2));
    Formes::arc(p, c, r2, a0 + dO, a1 - dO);
    p.quadTo(point(c, a1, r2), point(c, a1, r2 - rc));
    p.lineTo(point(c, a1, r1 + rc));
    p.quadTo(point(c, a1, r1), point(c, a1 - dI, r1));
    Formes::arc(p, c, r1, a1 - dI, a0 + dI);
    p.quadTo(point(c, a0, r1), point(c, a0, r1 + rc));
    p.lineTo(point(c, a0, r2 - rc));
    p.quadTo(point(c, a0, r2), point(c, a0 + dO, r2));
    p.closeSubpath();
    return p;
}

QPainterPath FormeRoue::chemin(const QRectF& rect) const
{
    using Formes::point;
    const QPointF c = rect.center();
    QPainterPath p;
    if (e <= 0.02) {
        p.addEllipse(c, rayon, rayon);
        return p;
    }
    const double R1 = rayon + 88 * e;
    const double k = std::min((R1 - rayon) * 0.45, 28.0);
    const double d = degres(k / R1);
    const double h = 26 * e;
    const double s = 10 * e;
    const double lo = am - demi, hi = am + demi;
    p.moveTo(point(c, hi + s, rayon));
    Formes::arc(p, c, rayon, hi + s, lo - s + 360);
    p.quadTo(point(c, lo, rayon), point(c, lo, rayon + h));
    p.lineTo(point(c, lo, R1 - k));
    p.quadTo(point(c, lo, R1), point(c, lo + d, R1));
    Formes::arc(p, c, R1, lo + d, hi - d);
    p.quadTo(point(c, hi, R1), point(c, hi, R1 - k));
    p.lineTo(point(c, hi, rayon + h));
    p.quadTo(point(c, hi, rayon), point(c, hi + s, rayon));
    p.closeSubpath();
    return p;
}

QPainterPath Sourire::chemin(const QRectF& r) const
{
    QPainterPath p;
    const QPointF c = r.center();
    p.moveTo(c.x() - 0.46 * r.width(), c.y() + 0.1 * r.height());
    p.quadTo(QPointF(c.x(), c.y() - 0.36 * r.height()),
             QPointF(c.x() + 0.46 * r.width(), c.y() + 0.1 * r.height()));
    return p;
}

} // namespace Roue
