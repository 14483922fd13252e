// TIFFs of 12-bit or other odd-width integers and half floats: libtiff's strips or tiles,
// then our unpacking of their samples and the differences summed back; separate planes of
// Lab, or in tiles, interleaved as stored.
#include "Cible.h"

#include "conversions/Erreur.h"
#include "conversions/images/Decodeurs.h"
#include "conversions/images/Vips.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille)
{
    Conversions::vipsPret();
    const QString chemin = fuzz::ecrire(QStringLiteral("entree.tif"), fuzz::octets(donnees, taille));
    try {
        const std::optional<vips::VImage> image = Conversions::lireTiffAEchantillonsRares(chemin);
        if (image && (image->width() <= 0 || image->height() <= 0 || image->format() != VIPS_FORMAT_UCHAR))
            std::abort();
    } catch (const Conversions::Erreur&) {
    }
    return 0;
}
