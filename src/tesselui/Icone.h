#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>

// Icons of the design system, drawn from SVG and tinted like text.
namespace Icone {

// Whether a name means a system symbol (it holds a "." or is one of four fixed names).
bool systeme(const QString& nom);
// The SVG file for a name: for a system symbol, its icon of the symbol table (a resource
// path); otherwise "flex-<nom>.svg" of the bundle's "Icons" folder, else "<nom>.svg" of the
// application's icon folder, else the symbol table's icon of that name; empty for an unknown
// name.
QString fichier(const QString& nom);
// An SVG file's text with its drawing colour made black (the tint comes afterwards); empty
// when it cannot be read.
QByteArray svg(const QString& chemin);
// The icon in a square of `cote` logical pixels at scale `echelle`, tinted; cached. A null
// image when nothing is found (not reported).
QImage image(const QString& nom, double cote, const QColor& couleur, double echelle);
// An SVG drawn into a `cote` square at scale `echelle`, every painted pixel in `couleur`.
QImage teinte(const QByteArray& svg, double cote, const QColor& couleur, double echelle);

} // namespace Icone
