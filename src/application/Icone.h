#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <functional>

namespace Application {

// The tray icon's pictures. Tray icons are not tinted on this platform and the panel's
// colour is unknown: each picture is drawn in the ink colour inside a thin halo of the
// opposite lightness, so that it reads on light and dark panels alike.
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

inline constexpr double largeurHalo = 1.25;  // logical pixels

// The halo's colour for an ink: near white around a dark ink, near black around a light one.
QColor halo(const QColor& encre);

// `image` inside a halo of `couleur`, `largeurHalo` wide.
QImage avecHalo(const QImage& image, const QColor& couleur);

// An icon holding the picture at 1×, 2× and 3×, each inside the halo of `encre`.
QIcon icone(const std::function<QImage(double)>& dessin, const QColor& encre);

} // namespace Icone

} // namespace Application
