#include "conversions/images/TgaPalette.h"

#include <cstdint>

namespace Conversions {

namespace {

constexpr qsizetype entete = 18;
constexpr int indices = 1;  // the image type, less its RLE bit (8)

} // namespace

bool tgaSansPalette(QByteArrayView o)
{
    if (o.size() < entete || (static_cast<std::uint8_t>(o[2]) & ~8) != indices)
        return false;
    const unsigned couleurs = static_cast<std::uint8_t>(o[5]) | static_cast<std::uint8_t>(o[6]) << 8;
    return o[1] != 1 || couleurs == 0;
}

} // namespace Conversions
