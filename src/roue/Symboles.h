#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <QStringList>

// The symbols of petals and tools, by their system symbol names, drawn from the SVG icon
// set under resources/icones (ISC licence) and tinted.
namespace Symboles {

// The resource path of the icon that stands for `nom`; empty when none does.
QString fichier(const QString& nom);
// Every symbol name that has an icon.
QStringList noms();

// The symbol in a square of `cote` logical pixels, tinted with `couleur`, for a device pixel
// ratio `echelle`. Cached; a null image for an unknown name.
QImage image(const QString& nom, double cote, const QColor& couleur, double echelle);

} // namespace Symboles
