#pragma once

#include "conversions/images/Vips.h"

#include <QByteArray>

namespace Conversions {

// webp() (Images.h) of a lazy picture, its rows turned into the encoder's planes strip by
// strip as they are decoded: the picture is never whole in memory in RGBA. Throws
// Erreur::ecriture("WebP") when the encoder fails, vips::VError when the pixels do.
QByteArray webpParBandes(const vips::VImage& image, float qualite);

} // namespace Conversions
