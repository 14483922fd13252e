#pragma once

#include <QByteArrayView>

namespace Conversions {

// Whether a TGA of colour indices (uncompressed or RLE) comes without the colour map they
// point into: libav decodes it black.
bool tgaSansPalette(QByteArrayView fichier);

} // namespace Conversions
