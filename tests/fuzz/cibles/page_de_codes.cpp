// The code-page decoder of RTF bytes: each input read in every page the decoder knows, and in
// the page of the font character set its first byte names.
#include "Cible.h"

#include "conversions/documents/PageDeCodes.h"

#include <memory>
#include <vector>

using Conversions::PageDeCodes;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille)
{
    // The pages it takes as its own (any other number reads as Western), opened once.
    static const auto pages = [] {
        std::vector<std::unique_ptr<PageDeCodes>> p;
        for (int numero = 1; numero < 70000; ++numero)
            if (PageDeCodes::reconnue(numero) == numero)
                p.push_back(std::make_unique<PageDeCodes>(numero));
        return p;
    }();
    if (taille < 1)
        return 0;
    const QByteArray octets = fuzz::octets(donnees + 1, taille - 1);
    for (const auto& page : pages)
        page->decoder(octets);
    PageDeCodes(PageDeCodes::duJeuDeCaracteres(donnees[0])).decoder(octets);
    return 0;
}
