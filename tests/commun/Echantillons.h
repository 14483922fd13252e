#pragma once

#include <QString>

// Real sample files for tests, made with Qt's own writers or the ffmpeg command line.
namespace Echantillons {

// A PDF of `pages` pages, each showing "Page N" as text.
QString pdf(const QString& chemin, int pages);
// A picture file written by QImageWriter (format from the extension).
QString image(const QString& chemin, int largeur = 64, int hauteur = 48);
// A GIF of `images` frames, made by ffmpeg.
QString gif(const QString& chemin, int images);
// The ffmpeg of the system, for making media samples.
QString ffmpeg();

} // namespace Echantillons
