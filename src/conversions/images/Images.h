#pragma once

#include "conversions/Erreur.h"
#include "conversions/Progression.h"

#include <QImage>
#include <QSet>
#include <optional>

namespace Conversions {

// An image to another format ("jpg", "png", "heic", "webp", "tiff", "avif").
QString image(const QString& source, const QString& id);
// A lighter copy: largest side 1920, JPEG (PNG when it has alpha).
QString imageLegere(const QString& source);
// The text the image shows, into a text file.
QString texteDeLImage(const QString& source);
// Text recognition of an image in memory (French and English), lines joined by "\n";
// empty when nothing credible is read. `resolution` in dots per inch, 0 when unknown (the
// recogniser then estimates it). Safe from several threads at once, one engine per thread.
QString lireTexte(const QImage& image, int resolution = 0);
// The subject on a transparent background, as a PNG file.
QString detourer(const QString& source);
// Image 0 of a file with its orientation applied, reduced to `max` pixels on its largest side
// (never enlarged), in sRGB: Format_RGBA8888 when the file has alpha, else Format_RGBX8888.
// Files beyond 300 megapixels are refused as « trop grand » (Erreur::lecture when they cannot
// hold what they declare).
QImage redressee(const QString& chemin, std::optional<int> max = std::nullopt);
// The image flattened onto white, without alpha.
QImage aplatir(const QImage& image);
// WebP data of an image, quality 0 to 100; premultiplied input is brought back to straight colour.
// Its pixels are let go as soon as the encoder has its own planes: pass the image moved.
QByteArray webp(QImage image, float qualite);
// The type identifier ("public.jpeg", …) of a format identifier; empty when it has none.
QString type(const QString& id);
// The type identifiers this build can write.
const QSet<QString>& ecriture();
} // namespace Conversions
