#pragma once

#include <QString>
#include <QtGlobal>

// Real sample files for tests, made with Qt's own writers, the ffmpeg command line, or the
// generator of large PDF structures (tests/outils/pdf_geants.py).
namespace Echantillons {

// A PDF of `pages` pages, each showing "Page N" as text.
QString pdf(const QString& chemin, int pages);
// A PDF of three pages whose compressed cross-reference stream declares `entrees` entries:
// a few kilobytes that a reader expands into a table of that many.
QString pdfTableGeante(const QString& chemin, int entrees);
// A PDF of three pages drawn by `taille` bytes of content, its table's offsets all wrong:
// only a scan of the whole file finds its objects.
QString pdfTableCassee(const QString& chemin, qsizetype taille);
// A picture file written by QImageWriter (format from the extension).
QString image(const QString& chemin, int largeur = 64, int hauteur = 48);
// A GIF of `images` frames, made by ffmpeg.
QString gif(const QString& chemin, int images);
// An H.264 video of `secondes` seconds of a test pattern, 320 × 240 at 25 images a second, made by ffmpeg.
QString video(const QString& chemin, int secondes);
// The ffmpeg of the system, for making media samples.
QString ffmpeg();

} // namespace Echantillons
