#pragma once

#include <QColor>
#include <QImage>

namespace Roue {

class EtatRoue;

// The wheel as the state shows it once every animation has settled, painted into a picture
// of 640 × 640 points at `echelle` pixels per point, over `fond`.
QImage rendre(EtatRoue& etat, bool sombre, double echelle, const QColor& fond = Qt::transparent);

} // namespace Roue
