// The ICC tag reader that decides whether an image's colours must be converted to sRGB.
#include "Cible.h"

#include "conversions/images/ProfilIcc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille)
{
    Conversions::horsSrgb(fuzz::octets(donnees, taille));
    return 0;
}
