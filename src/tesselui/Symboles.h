#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <QStringList>

// System symbols by name (petals, tools, the design system's icons), drawn from the SVG
// icon set under resources/icones (ISC licence) and tinted. The design system's icon lookup
// (Icone) serves these names through this table.
namespace Symboles {

// The resource path of the icon that stands for `nom`; empty when none does.
QString fichier(const QString& nom);
// Every symbol name that has an icon.
QStringList noms();

// The symbol in a square of `cote` logical pixels, tinted with `couleur`, for a device pixel
// ratio `echelle`. Cached; a null image for an unknown name.
QImage image(const QString& nom, double cote, const QColor& couleur, double echelle);

} // namespace Symboles
