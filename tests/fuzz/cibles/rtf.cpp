// The RTF reader, then the layouts a conversion makes of its text.
#include "Cible.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille)
{
    fuzz::parcourirDocument(fuzz::ecrire(QStringLiteral("entree.rtf"), fuzz::octets(donnees, taille)));
    return 0;
}
