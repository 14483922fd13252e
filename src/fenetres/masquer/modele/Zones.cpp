#include "fenetres/masquer/modele/Zones.h"

#include <algorithm>

namespace Zones {

QRectF trace(QPointF p0, QPointF p1, QSizeF image)
{
    const QRectF r = QRectF(p0, p1).normalized();
    if (r.left() > image.width() || r.right() < 0 || r.top() > image.height() || r.bottom() < 0)
        return {};
    // Clamped by hand: a flat drag keeps its length, which tells it from a click.
    const double x0 = std::clamp(r.left(), 0.0, image.width()), x1 = std::clamp(r.right(), 0.0, image.width());
    const double y0 = std::clamp(r.top(), 0.0, image.height()), y1 = std::clamp(r.bottom(), 0.0, image.height());
    return {x0, y0, x1 - x0, y1 - y0};
}

Fin fin(const QRectF& trace, double k)
{
    if (k * trace.width() < 6 && k * trace.height() < 6)
        return Fin::cliquer;
    return trace.width() > 0 && trace.height() > 0 ? Fin::ajouter : Fin::rien;
}

std::optional<qsizetype> sous(const QList<QRectF>& zones, QPointF point)
{
    for (qsizetype i = zones.size() - 1; i >= 0; --i)
        if (zones[i].contains(point))
            return i;
    return std::nullopt;
}

} // namespace Zones
