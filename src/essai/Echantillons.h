#pragma once

#include <QString>

// The sample files the self-test converts. Each maker writes one file at the path given.
namespace Essai {

// 800 × 500, transparent but for an orange ellipse.
void fabriquerImage(const QString& chemin);
// Two A4 pages: "<titre>, page N" then "Un essai de conversion de la roue.".
void fabriquerPDF(const QString& chemin, const QString& titre);
// 2 s of a 440 Hz tone, 44 100 Hz stereo, AAC. False when it could not be made.
bool fabriquerSon(const QString& chemin);
// 2 s of H.264 640 × 360 at 30 images/s: an orange ball crossing a dark blue field, no sound.
bool fabriquerVideo(const QString& chemin);
// The movie `video` with the sound of `son`, both copied as they are.
bool ajouterSon(const QString& son, const QString& video, const QString& dans);
// 1200 × 500 white picture of a three-line invoice.
void fabriquerImageTexte(const QString& chemin);
// About 1.5 s of a mono 16-bit big-endian AIFF chime (the system has no such sound here).
bool fabriquerCarillon(const QString& chemin);

} // namespace Essai
