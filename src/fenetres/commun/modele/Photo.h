#pragma once

#include <QImage>
#include <QString>

// A photo as the image tools hold it: the full-size picture the save works on, and a
// reduced copy the canvas paints (painting a 100-megapixel picture at every move would lag).
struct Photo {
    QImage image;
    QImage apercu;

    // Reads `url` at full size, orientation applied; a null image when it cannot be read.
    // Blocking: run it on a worker.
    static Photo charger(const QString& url);
    // A reduced copy of any picture of the photo's size, for the canvas.
    static QImage reduire(const QImage& image);
};
