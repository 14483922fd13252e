#pragma once

// Sample images for the image tests, made with Qt's own writers or by hand.

#include "essais_outils.h"

namespace echantillons {

// Writes `image` with Qt's writer at `nom` in the folder; returns the path.
QString ecrire(const Dossier& d, const QString& nom, const QImage& image, int qualite = 95);
// A JPEG carrying an EXIF orientation (1 to 8) in front of `image`'s pixels.
QString jpegOriente(const Dossier& d, const QString& nom, const QImage& image, int orientation);
// A PNG whose header claims `largeur` × `hauteur` grey pixels.
QString pngGeant(const Dossier& d, const QString& nom, int largeur, int hauteur);
// Width × height of opaque noise in dull greens and browns.
QImage texture(int largeur, int hauteur, unsigned graine);

} // namespace echantillons
