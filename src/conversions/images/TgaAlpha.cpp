#include "conversions/images/TgaAlpha.h"

#include <cstdint>

namespace Conversions {

namespace {

constexpr qsizetype entete = 18;
constexpr qsizetype pied = 26;
constexpr qsizetype extension = 495;
// The extension area's attributes type: 3 is alpha, 4 premultiplied alpha; below, none.
constexpr int alphaDefini = 3;

std::uint32_t lu(QByteArrayView o, qsizetype a, int octets)
{
    std::uint32_t v = 0;
    for (int k = octets - 1; k >= 0; --k)
        v = (v << 8) | static_cast<std::uint8_t>(o[a + k]);
    return v;
}

} // namespace

bool alphaTgaUtile(QByteArrayView o)
{
    if (o.size() < entete)
        return true;  // nothing to say: the decoder judges the file
    if ((static_cast<std::uint8_t>(o[17]) & 0x0F) == 0)
        return false;
    if (o.size() < entete + pied || o.last(18) != QByteArrayView("TRUEVISION-XFILE.\0", 18))
        return true;
    const qint64 debut = lu(o, o.size() - pied, 4);
    if (debut < entete || debut + extension > o.size() - pied || lu(o, debut, 2) < extension)
        return true;
    return static_cast<std::uint8_t>(o[debut + extension - 1]) >= alphaDefini;
}

} // namespace Conversions
