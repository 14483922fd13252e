// The compound-file check that stands before the readers of old Word files.
#include "Cible.h"

#include "conversions/documents/Ole.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille)
{
    Conversions::oleBienForme(fuzz::ecrire(QStringLiteral("entree.doc"), fuzz::octets(donnees, taille)));
    return 0;
}
