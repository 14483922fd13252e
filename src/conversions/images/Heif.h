#pragma once

#include "conversions/images/Vips.h"

#include <QString>

namespace Conversions {

// Writes an 8-bit HEIC (`av1` false) or AVIF file at quality 0–100. The pixels are stored
// as they are; `orientation` (EXIF 1–8) goes into the file as its display transform.
// Throws vips::VError on a pixel failure, Erreur::ecriture(nom) on an encoder failure.
void ecrireHeif(const vips::VImage& image, const QString& chemin, int qualite, bool av1, int orientation);

} // namespace Conversions
