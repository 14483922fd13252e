#pragma once

#include <QByteArray>

namespace Conversions {

// Whether pixels described by this ICC profile must be converted to be shown as sRGB:
// RGB with other primaries (Display P3, Adobe RGB, ProPhoto…) or CMYK. An sRGB profile,
// grey, or a profile too damaged to read say no: the pixels are taken as they are.
bool horsSrgb(const QByteArray& icc);

} // namespace Conversions
