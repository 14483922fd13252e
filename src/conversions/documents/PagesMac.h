#pragma once

#include <array>

namespace Conversions {

// The characters of the bytes 0x80 to 0xFF of a code page; null where a byte means nothing alone.
using Octets = std::array<const char16_t*, 128>;

// An Apple code page (10000 and up, as RTF names them). A single-byte page reads through its
// table alone; a double-byte one takes its own single bytes from the table wherever a character
// starts, and the rest through iconv's encoding of its double bytes.
struct PageMac {
    const char* iconv;  // null for a single-byte page; for the others the base set, not a
                        // superset that would read Apple's single bytes as first halves
    const Octets& octets;
};

// The Apple code page `numero`, or null.
const PageMac* pageMac(int numero);

} // namespace Conversions
