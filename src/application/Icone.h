#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <functional>

// The tray icon's pictures, in one colour legible on the panel (tray icons are not tinted
// on this platform).
namespace Icone {

inline constexpr int cote = 18;           // logical pixels
inline constexpr double rayon = 6.5;
inline constexpr double epaisseur = 2.2;
inline constexpr double piste = 0.25;     // opacity of the track
inline constexpr double auMoins = 0.03;

// The progress ring for a mean fraction: a faint track and an arc from the top, clockwise,
// over max(fraction, 3 %) of a turn (at most a full turn). `echelle` is the device pixel ratio.
QImage anneau(double fraction, const QColor& couleur, double echelle = 1);

// A symbol of the icon set ("circle.circle" at rest, "checkmark.circle.fill" and
// "exclamationmark.circle.fill" for the outcome flash).
QImage symbole(const QString& nom, const QColor& couleur, double echelle = 1);

// An icon holding the picture at 1×, 2× and 3×.
QIcon icone(const std::function<QImage(double)>& dessin);

} // namespace Icone
