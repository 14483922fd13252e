// Old-style JPEG TIFFs: our look at the compression tag, then libtiff's RGBA interface.
#include "Cible.h"

#include "conversions/Erreur.h"
#include "conversions/images/Decodeurs.h"
#include "conversions/images/Vips.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille)
{
    Conversions::vipsPret();
    const QString chemin = fuzz::ecrire(QStringLiteral("entree.tif"), fuzz::octets(donnees, taille));
    if (!Conversions::tiffJpegAncien(chemin))
        return 0;
    try {
        const vips::VImage image = Conversions::lireTiffParRgba(chemin);
        if (image.width() <= 0 || image.height() <= 0)
            std::abort();
    } catch (const Conversions::Erreur&) {
    }
    return 0;
}
