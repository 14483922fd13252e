#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>

// Icons of the design system, drawn from SVG and tinted like text.
namespace Icone {

// Whether a name means a system symbol (it holds a "." or is one of four fixed names).
bool systeme(const QString& nom);
// The SVG file for a name: "flex-<nom>.svg" of the bundle's "Icons" folder, else "<nom>.svg"
// of the application's icon folder; empty for a system symbol or an unknown name.
QString fichier(const QString& nom);
// The icon in a square of `cote` logical pixels at scale `echelle`, tinted; cached. A null
// image when nothing is found (not reported).
QImage image(const QString& nom, double cote, const QColor& couleur, double echelle);
// An SVG drawn into a `cote` square at scale `echelle`, every painted pixel in `couleur`.
QImage teinte(const QByteArray& svg, double cote, const QColor& couleur, double echelle);

} // namespace Icone
