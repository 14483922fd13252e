#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <optional>

// The mask window's hand-made zones, in photo pixels: plain logic apart from the canvas.
namespace Zones {

// The rectangle dragged from `p0` to `p1`, kept inside the photo (empty when wholly outside).
QRectF trace(QPointF p0, QPointF p1, QSizeF image);

// What the end of a drag does at scale `k` (points per pixel).
enum class Fin {
    ajouter,  // a zone of 6 points or more on screen in one direction, with some area
    cliquer,  // under 6 points both ways: a click, which removes a zone
    rien,     // long but flat, or outside the photo: a zone that would hide nothing
};
Fin fin(const QRectF& trace, double k);

// The most recently added zone under `point`, if any.
std::optional<qsizetype> sous(const QList<QRectF>& zones, QPointF point);

} // namespace Zones
