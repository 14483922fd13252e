// The code-page decoder of RTF bytes: the first two bytes pick the code page.
#include "Cible.h"

#include "conversions/documents/PageDeCodes.h"

#include <array>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille)
{
    static const std::array numeros{437, 850, 852, 866, 874, 932, 936, 949, 950, 1250, 1251, 1252, 1253,
                                    1254, 1255, 1256, 1257, 1258, 10000, 10001, 10002, 10003, 10005,
                                    10008, 10021, 65001, 0, 12345};
    if (taille < 2)
        return 0;
    const int choix = (donnees[0] << 8 | donnees[1]) % static_cast<int>(numeros.size());
    // A font's character set, or a code page as the document names it.
    const int numero = donnees[0] & 0x80 ? Conversions::PageDeCodes::duJeuDeCaracteres(donnees[1])
                                          : numeros[static_cast<size_t>(choix)];
    Conversions::PageDeCodes(numero).decoder(fuzz::octets(donnees + 2, taille - 2));
    return 0;
}
