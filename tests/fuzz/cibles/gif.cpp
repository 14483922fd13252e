// The GIF block walk that counts frames for the catalogue at drag entry.
#include "Cible.h"

#include "conversions/Catalogue.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille)
{
    Conversions::nombreDImages(fuzz::ecrire(QStringLiteral("entree.gif"), fuzz::octets(donnees, taille)));
    return 0;
}
