#pragma once

#include <QByteArray>
#include <optional>

namespace Conversions {

// What a PDF needs to show a JPEG file's own bytes.
struct EnteteJpeg {
    int largeur = 0;
    int hauteur = 0;
    int composantes = 0;  // 1 grey, 3 colour
    QByteArray profil;    // the ICC profile it carries, if any
};

struct LectureJpeg {
    // Set when a PDF page can carry the file as it stands: 8-bit Huffman coding
    // (baseline or progressive), grey or colour. Otherwise the image goes through
    // decoding.
    std::optional<EnteteJpeg> entete;
    // A JPEG cut short: its segments run past the end, or no end marker follows the scan.
    bool coupe = false;
};

// Reads the markers of a file that starts as a JPEG.
LectureJpeg lireJpeg(const QByteArray& octets);

} // namespace Conversions
