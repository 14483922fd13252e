// The PNG chunk walk that tells a cut or unfinished PNG, or one too short for the picture it
// declares, before libpng decodes it.
#include "Cible.h"

#include "conversions/images/PngComplet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille)
{
    const QString chemin = fuzz::ecrire(QStringLiteral("entree.png"), fuzz::octets(donnees, taille));
    Conversions::pngCoupe(chemin);
    Conversions::pngTropCourt(chemin);
    return 0;
}
