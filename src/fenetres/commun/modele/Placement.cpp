#include "fenetres/commun/modele/Placement.h"

#include <algorithm>
#include <cmath>

namespace Placement {

namespace {

// `r` moved 12 points inside `V`: the bottom bound first, the top bound last.
QPointF dedans(const QRectF& r, const QRectF& V)
{
    double x = std::max(r.x(), V.left() + 12);
    x = std::min(x, V.right() - r.width() - 12);
    double y = std::min(r.y(), V.bottom() - r.height() - 12);
    y = std::max(y, V.top() + 12);
    return {x, y};
}

} // namespace

double hauteur(double f, double h) { return f > 200 ? std::min(f, h + 120) : h; }

QPointF origine(QPointF pointeur, QSizeF taille, std::optional<QRectF> visible)
{
    if (!visible)
        return {0, 0};
    return dedans(QRectF(pointeur - QPointF(taille.width() / 2, taille.height() / 2), taille), *visible);
}

QRectF retaille(const QRectF& avant, QSizeF taille, std::optional<QRectF> visible)
{
    if (visible)
        taille = taille.boundedTo(visible->size() - QSizeF(24, 24));
    // Half the change on each side, the odd point kept on the right both ways: widened then
    // narrowed back, the window stands where it stood.
    const double x = avant.left() + std::trunc((avant.width() - taille.width()) / 2);
    const QRectF r(x, avant.top(), taille.width(), taille.height());
    return visible ? QRectF(dedans(r, *visible), taille) : r;
}

} // namespace Placement
