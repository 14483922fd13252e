#pragma once

#include <cstddef>
#include <cstdint>

namespace Conversions {

// Premultiplied RGBA pixels back to straight colour, in place: for 0 < alpha < 255 each
// colour becomes min(c·255 / a, 255), truncated; other pixels are left as they are.
void depremultiplier(std::uint8_t* rgba, std::size_t pixels);

} // namespace Conversions
