#pragma once

#include <QList>
#include <QRectF>
#include <QSizeF>

namespace Roue {

// Where the tools arc's title capsule goes, in view coordinates (a square of side T, y down,
// angles in degrees from straight up, clockwise).
namespace TitreArc {

// Straight beyond the "Modifier" petal's tab, where a narrow title would sit.
inline constexpr double rayonVoulu = 286;

// The capsule of `taille` for the "Modifier" petal at angle `am`: the place nearest to
// P(am, 286) that stays inside the square and covers no petal, no tool cell and none of
// the tool labels `etiquettes`. A wide title straight beyond a tab that leans sideways would
// cover the label of the tool beside it. Without any free place, the place at P(am, 286).
QRectF placer(double T, double am, QSizeF taille, const QList<QRectF>& etiquettes);

} // namespace TitreArc

} // namespace Roue
