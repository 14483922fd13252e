#pragma once

#include <QList>
#include <QString>

// A stream copy of MP4 or MOV can only start on a key frame and stop on whole packets; the
// format's edit list says which part of the copied media plays. These pieces make the
// passage start on the frame shown at its start and stop at the end of the last frame that
// starts before its end.
namespace MontageMp4 {

// The times (seconds from the file's start) of the pictures of the first video stream, in
// display order, read from the packets without decoding; empty when there is none.
QList<double> images(const QString& source);

struct Bornes {
    double de;
    double a;
};
// The passage [de, a) on the grid of `images`: from the frame shown at `de` to the end of
// the last frame that starts before `a`. Unchanged when there are no pictures.
Bornes aligner(const QList<double>& images, double de, double a);

// Makes every track of the movie at `chemin` play `duree` seconds from its edit's start, and
// the movie last as long, rounded down to the movie's time units (never into the next frame). Throws when the file holds no edit list that can be set.
void borner(const QString& chemin, double duree);

} // namespace MontageMp4
