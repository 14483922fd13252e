// Pictures that the first reader refuses go to libav's decoder, after our own look at a TIFF's
// compression tag. The first byte chooses the format, the rest is the file.
#include "Cible.h"

#include "conversions/Erreur.h"
#include "conversions/images/Decodeurs.h"
#include "conversions/images/Vips.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille)
{
    if (taille < 1)
        return 0;
    static const char* const noms[] = {"entree.tif", "entree.bmp", "entree.tga"};
    Conversions::vipsPret();
    const QString chemin = fuzz::ecrire(QString::fromLatin1(noms[donnees[0] % 3]), fuzz::octets(donnees + 1, taille - 1));
    try {
        const vips::VImage image = Conversions::lireParLibav(chemin);
        if (image.width() <= 0 || image.height() <= 0)
            std::abort();
    } catch (const Conversions::Erreur&) {
    }
    return 0;
}
