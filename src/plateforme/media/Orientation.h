#pragma once

#include <QImage>
#include <QString>
#include <cstdint>

namespace Media {

// How a video's stored pictures turn to show upright, from its display matrix: a number of
// clockwise quarter turns, then, for a mirrored matrix, a flip left to right.
struct Orientation {
    int quarts = 0;
    bool miroir = false;

    // Width and height swap.
    bool couchee() const { return quarts % 2 != 0; }
    // The stored picture as it shows.
    QImage appliquer(const QImage& image) const;
};

// From the nine numbers of a display matrix (16.16 fixed point, the container's order);
// upright without one.
Orientation orientation(const int32_t* matrice);

// That of the first picture track of a local file (the guarded opener); upright when the
// file cannot be read or has no picture track. Blocking.
Orientation orientationVideo(const QString& chemin);

} // namespace Media
