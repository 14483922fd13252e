#pragma once

#include <QByteArrayView>
#include <QSize>
#include <cstdint>
#include <optional>

namespace Conversions {

// The size of a TGA whose pixels are grey and alpha, a byte each (image type 3, or 11 in
// runs, 16 bits a pixel), which libav takes for 5-bit RGB. Empty for any other file.
std::optional<QSize> tgaGrisAlpha(QByteArrayView fichier);
// Its pixels into `sortie` (width × height × 2 bytes): grey then alpha, top row first, left
// to right whatever corner the file starts from. False when the data is cut short.
bool decoderTgaGrisAlpha(QByteArrayView fichier, std::uint8_t* sortie);

} // namespace Conversions
