// The PNG chunk walk that tells a cut or unfinished PNG before libpng decodes it.
#include "Cible.h"

#include "conversions/images/PngComplet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille)
{
    Conversions::pngCoupe(fuzz::ecrire(QStringLiteral("entree.png"), fuzz::octets(donnees, taille)));
    return 0;
}
