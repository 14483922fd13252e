#pragma once

#include "tesselui/Couleur.h"

#include <QFont>
#include <cstdint>

// The Reverie look's eight named colours (light and dark) and its two faces.
namespace Reverie {

// A colour from two 0xRRGGBB values, light then dark, opaque.
Couleur teinte(std::uint32_t clair, std::uint32_t sombre);

Couleur encre();
Couleur ardoise();
Couleur nuage();
Couleur neige();
Couleur papier();
Couleur filet();
Couleur action();
Couleur surAction();

// "Instrument Serif" at a size (logical pixels).
QFont serif(double taille);
// "Instrument Sans" at a size and a weight on its axis (static instances at 400 and 500),
// made once per key under a lock.
QFont sans(double taille, double poids);

} // namespace Reverie
