#pragma once

#include "conversions/images/Vips.h"

namespace Conversions {

// Pictures that libvips' trusted loaders do not read, decoded whole into memory with the
// same size guard. Throw Erreur::lecture.

// BMP, ICO and TGA through Qt's reader for that format alone (never guessed from the
// contents); the largest picture of an icon; in sRGB.
vips::VImage lireParQt(const QString& chemin);
// Camera RAW developed by libraw (camera white balance, sRGB, 8 bits), turned upright.
vips::VImage lireRaw(const QString& chemin);

} // namespace Conversions
