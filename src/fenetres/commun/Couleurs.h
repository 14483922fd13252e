#pragma once

#include <QColor>
#include <QGradientStops>
#include <algorithm>

// The tool windows' colours, always those of the light appearance.
namespace Couleurs {

// Text, the filled pill, outlines, tints of the canvases.
inline QColor encre(double opacite = 1)
{
    return QColor::fromRgbF(24 / 255.f, 25 / 255.f, 27 / 255.f, float(std::clamp(opacite, 0.0, 1.0)));
}
// Options that are not chosen.
inline QColor ardoise() { return QColor(107, 115, 133); }
// The lime-to-aqua gradient; its first colour is the lime accent.
inline QColor tilleul0() { return QColor(195, 223, 123); }
inline QColor tilleul1() { return QColor(163, 220, 227); }
inline QGradientStops tilleul() { return {{0.0, tilleul0()}, {1.0, tilleul1()}}; }

} // namespace Couleurs
