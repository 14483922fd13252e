#pragma once

#include <QByteArray>
#include <QSize>
#include <optional>

namespace Conversions {

// A picture of a document as the outputs carry it: the file's own bytes when every reader
// knows its format (PNG, JPEG, GIF, BMP), else a PNG of it.
struct ImageDocument {
    QByteArray octets;
    QByteArray format;  // "png", "jpeg", "gif", "bmp": the extension of its part in a Word file
    QSize pixels;
};

// Nothing for what Qt cannot read or what is too big to decode (a few bytes can claim
// gigapixels).
std::optional<ImageDocument> lireImageDocument(const QByteArray& octets);

} // namespace Conversions
