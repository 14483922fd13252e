#include "fenetres/commun/modele/Placement.h"

#include <algorithm>

namespace Placement {

double hauteur(double f, double h) { return f > 200 ? std::min(f, h + 120) : h; }

QPointF origine(QPointF pointeur, QSizeF taille, std::optional<QRectF> visible)
{
    if (!visible)
        return {0, 0};
    const QRectF& V = *visible;
    double x = pointeur.x() - taille.width() / 2;
    x = std::max(x, V.left() + 12);
    x = std::min(x, V.right() - taille.width() - 12);
    double y = pointeur.y() - taille.height() / 2;
    y = std::min(y, V.bottom() - taille.height() - 12);
    y = std::max(y, V.top() + 12);
    return {x, y};
}

} // namespace Placement
