#pragma once

#include <QImage>
#include <QString>

// A photo of grain everywhere, saved at `chemin`: its file cannot fit in the room a full disk
// leaves (`DisquePlein(1024)`).
inline QString photoDeGrain(const QString& chemin)
{
    QImage grain(300, 200, QImage::Format_RGB32);
    for (int y = 0; y < grain.height(); ++y)
        for (int x = 0; x < grain.width(); ++x)
            grain.setPixel(x, y, qRgb((x * 7919 + y * 13) % 256, (y * 31 + x) % 256, (x ^ y) % 256));
    grain.save(chemin);
    return chemin;
}
