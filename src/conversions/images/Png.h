#pragma once

#include "conversions/images/Vips.h"

#include <QString>

namespace Conversions {

// PNG with adaptive row filters at zlib level 6, 8 or 16 bits, grey or RGB, with or without
// alpha. Large images are compressed in slices on the idle cores and joined into one zlib
// stream. `nu` drops the profile and the EXIF. Throws vips::VError when the pixels or the
// writing fail.
void ecrirePng(const vips::VImage& image, const QString& chemin, bool nu);

} // namespace Conversions
