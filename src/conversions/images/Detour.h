#pragma once

#include <QImage>

namespace Conversions {

// The subject of a picture as a full-size mask (Grayscale8, 255 on the subject), or a
// null image when nothing convincing stands out: empty, the whole frame, or a shape
// lying along most of the border. An image whose own alpha isolates a shape gives it.
QImage masqueDuSujet(const QImage& image);

} // namespace Conversions
