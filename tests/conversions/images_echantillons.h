#pragma once

// Sample images for the image tests, made with Qt's own writers or by hand.

#include "commun/Dossier.h"

#include <QImage>
#include <QString>
#include <ostream>

// Readable QStrings in test failures.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace echantillons {

// Writes `image` with Qt's writer at `nom` in the folder; returns the path.
QString ecrire(const Dossier& d, const QString& nom, const QImage& image, int qualite = 95);
// A JPEG carrying an EXIF orientation (1 to 8) in front of `image`'s pixels.
QString jpegOriente(const Dossier& d, const QString& nom, const QImage& image, int orientation);
// A PNG whose header claims `largeur` × `hauteur` grey pixels.
QString pngGeant(const Dossier& d, const QString& nom, int largeur, int hauteur);
// Width × height of opaque noise in dull greens and browns.
QImage texture(int largeur, int hauteur, unsigned graine);
// Runs a command; its output (or empty on failure), and the test fails when it does.
QString sortieDe(const QString& programme, const QStringList& arguments);
// A header field read by `vipsheader`.
QString champ(const QString& chemin, const QString& nom);
// The image decoded by libvips' command line into PNG, then by Qt.
QImage decoder(const QString& chemin);

} // namespace echantillons
