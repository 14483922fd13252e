#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <functional>

// The tray icon's pictures, drawn by code in one colour legible on the panel (tray icons
// are not tinted on this platform).
namespace Icone {

inline constexpr int cote = 18;           // logical pixels
inline constexpr double rayon = 6.5;
inline constexpr double epaisseur = 2.2;
inline constexpr double piste = 0.25;     // opacity of the track
inline constexpr double auMoins = 0.03;

// The progress ring for a mean fraction: a faint track and an arc from the top, clockwise,
// over max(fraction, 3 %) of a turn (at most a full turn). `echelle` is the device pixel ratio.
QImage anneau(double fraction, const QColor& couleur, double echelle = 1);

// At rest: a circle around a dot.
QImage repos(const QColor& couleur, double echelle = 1);
// The outcome flash: a filled disc with a check or an exclamation mark cut out.
QImage issue(bool reussite, const QColor& couleur, double echelle = 1);

// An icon holding the picture at 1×, 2× and 3×.
QIcon icone(const std::function<QImage(double)>& dessin);

} // namespace Icone
