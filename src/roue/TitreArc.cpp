#include "roue/TitreArc.h"

#include "roue/Formes.h"

#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <vector>

namespace Roue {

namespace TitreArc {

namespace {

constexpr double marge = 2;
constexpr double pas = 3;
constexpr double ecartMax = 240;

// Offsets from the wanted place, nearest first.
const std::vector<QPointF>& decalages()
{
    static const std::vector<QPointF> tous = [] {
        std::vector<QPointF> d;
        const int n = int(ecartMax / pas);
        for (int i = -n; i <= n; ++i)
            for (int j = -n; j <= n; ++j)
                if (std::hypot(i, j) * pas <= ecartMax)
                    d.emplace_back(i * pas, j * pas);
        std::stable_sort(d.begin(), d.end(), [](QPointF a, QPointF b) {
            return std::hypot(a.x(), a.y()) < std::hypot(b.x(), b.y());
        });
        return d;
    }();
    return tous;
}

// The nearest distance from `c` to a point of `r`.
double distance(QPointF c, const QRectF& r)
{
    const double dx = std::max({r.left() - c.x(), 0.0, c.x() - r.right()});
    const double dy = std::max({r.top() - c.y(), 0.0, c.y() - r.bottom()});
    return std::hypot(dx, dy);
}

} // namespace

QRectF placer(double T, double am, QSizeF taille, const QList<QRectF>& etiquettes)
{
    const QPointF c(T / 2, T / 2);
    const QRectF carre(0, 0, T, T);
    const QPointF voulu = Formes::point(c, am, rayonVoulu);
    std::vector<QPainterPath> cellules;
    for (int k = 0; k < 4; ++k) {
        const double bk = am - 52 + 26 * k;
        cellules.push_back(Galet{200, 260, bk + 2, bk + 24, 13}.chemin(carre));
    }
    const auto libre = [&](const QRectF& r) {
        const QRectF large = r.adjusted(-marge, -marge, marge, marge);
        if (!carre.contains(large) || distance(c, large) < 172)
            return false;
        for (const QRectF& e : etiquettes)
            if (e.intersects(large))
                return false;
        return std::none_of(cellules.begin(), cellules.end(),
                            [&](const QPainterPath& p) { return p.intersects(large); });
    };
    const QRectF base(voulu.x() - taille.width() / 2, voulu.y() - taille.height() / 2, taille.width(),
                      taille.height());
    for (const QPointF& d : decalages())
        if (const QRectF r = base.translated(d); libre(r))
            return r;
    return base;
}

} // namespace TitreArc

} // namespace Roue
