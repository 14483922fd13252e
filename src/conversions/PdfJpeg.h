#pragma once

#include <QByteArray>
#include <optional>

namespace Conversions {

// What a PDF needs to show a JPEG file's own bytes.
struct EnteteJpeg {
    int largeur = 0;
    int hauteur = 0;
    int composantes = 0;  // 1 grey, 3 colour
    int orientation = 1;  // EXIF, 1 to 8
    QByteArray profil;    // the ICC profile it carries, if any
};

// The header of a JPEG that a PDF page can carry as it stands: 8-bit Huffman coding
// (baseline or progressive), grey or colour, complete (its end marker after the scan).
// Anything else gives nothing, and the image goes through decoding instead.
std::optional<EnteteJpeg> enteteJpegIntact(const QByteArray& octets);

} // namespace Conversions
