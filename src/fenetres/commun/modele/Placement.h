#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <optional>

// Where a tool window opens and how tall it is: plain geometry, y growing downwards.
namespace Placement {

// The height of a window asked `h` high whose content would fit in `f`: the content's own
// height when it has one worth taking (over 200), never more than h + 120.
double hauteur(double f, double h);

// The top-left corner of a window of `taille` centred on `pointeur`, kept 12 points inside
// `visible` (the available area of the screen under the pointer). The bottom bound keeps it
// above a panel; the top bound is applied last, so a window taller than the area keeps its
// top strip (and its close button) on screen. Without a screen: the origin, unclamped.
QPointF origine(QPointF pointeur, QSizeF taille, std::optional<QRectF> visible);

// A window at `avant` given the size `taille`: it grows about its middle (the odd point on
// the right, so that it comes back to its place when it shrinks again) and keeps its top,
// then stays 12 points inside `visible` as when it opened, never larger than that area.
QRectF retaille(const QRectF& avant, QSizeF taille, std::optional<QRectF> visible);

} // namespace Placement
