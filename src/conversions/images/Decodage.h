#pragma once

// What the decoders of this folder share.

#include "conversions/images/Vips.h"

#include <QString>
#include <memory>

// libtiff is linked privately: its header stays in the files that read TIFFs.
struct tiff;

namespace Conversions {

// Within the size guard.
bool tailleAdmise(double largeur, double hauteur);
// Logs `raison` with the file and throws Erreur::lecture.
[[noreturn]] void refuser(const QString& chemin, const QString& raison);
// A copy of `octets` as a libvips image of `bandes` 8-bit bands (grey below 3, else sRGB),
// marked as whole in memory.
vips::VImage copie(const void* octets, size_t taille, int largeur, int hauteur, int bandes);
// A picture of `bandes` bands of `format` (8 bits unless said), marked as copie() marks its
// own, whose rows the caller fills in place (VIPS_IMAGE_ADDR) before handing it on.
vips::VImage aRemplir(int largeur, int hauteur, int bandes, VipsBandFormat format = VIPS_FORMAT_UCHAR);

struct FermerTiff {
    void operator()(tiff* t) const;
};
using TiffOuvert = std::unique_ptr<tiff, FermerTiff>;
// The file opened by libtiff within the size guard, its complaints to the log; null when it
// is no TIFF. `chemin` must outlive the result.
TiffOuvert ouvrirTiff(const QString& chemin);

} // namespace Conversions
