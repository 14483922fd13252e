#pragma once

#include <QImage>
#include <QString>
#include <optional>

namespace vips {
class VImage;
}

// The light window's picture work: three sliders mapped onto colour controls, an automatic
// adjustment of our own, and the rendering of both over a picture.
namespace Reglages {

// Colour controls: brightness added to each channel, contrast around mid-grey, saturation
// mixed with the Rec. 709 luma (0 is grey, 1 unchanged). Values on a 0–1 scale.
struct Controles {
    double luminosite = 0;
    double contraste = 1;
    double saturation = 1;
};

// The automatic adjustment: a tone stretch between a black and a white point, a gamma on
// the stretched tones (below 1 brightens) and a vibrance that favours dull colours.
struct Auto {
    double noir = 0;
    double blanc = 1;
    double gamma = 1;
    double vibrance = 0;
};

// What to apply: the automatic adjustment first, then the colour controls.
struct Filtre {
    Auto automatique;
    Controles controles;
};

// The sliders (each −1 to 1) mapped onto colour controls: brightness lumiere × 0.4,
// contrast 1 + contraste × 0.6, saturation 1 + couleurs; after the automatic adjustment
// when there is one.
Filtre filtre(double lumiere, double contraste, double couleurs, const std::optional<Auto>& automatique = {});

// The automatic adjustment for this picture, from its luminance percentiles and its mean
// colourfulness: dark or washed-out pictures move toward a balanced histogram, a
// well-exposed one is left nearly as it is.
Auto automatique(const QImage& image);
// The same from 8-bit pixels of `octets` bytes each, red, green and blue first.
Auto automatique(const uchar* pixels, int largeur, int hauteur, qsizetype ligne, int octets);

// The picture through the filter, same size; alpha untouched. Never fails: a picture it
// cannot render comes back unchanged. Spreads the rows over the processor's cores.
QImage appliquer(const Filtre& filtre, const QImage& image);

// The same filter as a libvips pipeline over an 8-bit sRGB picture, for full-size saves: it
// streams from the reader to the writer on several threads. Equal to the tight loops above
// within two levels per channel (rounding).
vips::VImage appliquer(const Filtre& filtre, const vips::VImage& image);
// A photo of any size through the filter, full size, orientation applied, written beside it
// under `mot`; the automatic adjustment computed on the full-size photo when asked.
QString enregistrer(const QString& source, double lumiere, double contraste, double couleurs, bool automatique,
                    const QString& mot);

// A slider's value as shown: × 100, halves away from zero.
QString affichage(double valeur);
// The header's badge: untouched or corrected.
QString pastille(double lumiere, double contraste, double couleurs, bool automatique);

} // namespace Reglages
