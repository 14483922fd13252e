#pragma once

#include <QColor>
#include <QImage>
#include <QString>

// The symbols of the tool windows by their system symbol names: the wheel's table first,
// then those only the tool windows use (the annotate tools and the take-back arrow).
namespace SymbolesOutils {

// The symbol in a square of `cote` logical pixels, tinted with `couleur`, for a device
// pixel ratio `echelle`; a null image for an unknown name.
QImage image(const QString& nom, double cote, const QColor& couleur, double echelle);

} // namespace SymbolesOutils
