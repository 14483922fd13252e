#pragma once

#include <QByteArrayView>
#include <QImage>

namespace Conversions {

// Whether a BMP file's pixels are bit fields: 16 or 32 bits under BI_BITFIELDS or
// BI_ALPHABITFIELDS, or 16 bits without compression (5 bits each), judged from its first bytes.
bool bmpAChamps(QByteArrayView octets);
// The pixels of such a BMP, each field scaled to 8 bits whatever its width (1 to 32 bits), in
// Format_RGBA8888 when an alpha field is set and used, else Format_RGB888. A null image when
// the file is not one or is cut short, or when its size goes past `pixelsAuPlus` pixels.
QImage decoderBmpAChamps(QByteArrayView octets, double pixelsAuPlus);

} // namespace Conversions
