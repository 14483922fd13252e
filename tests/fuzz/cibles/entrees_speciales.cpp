// The central directory walk that finds the device, pipe and socket entries of a dropped zip.
#include "Cible.h"

#include "conversions/archives/EntreesSpeciales.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille)
{
    const QSet<QByteArray> noms =
        Conversions::entreesSpeciales(fuzz::ecrire(QStringLiteral("entree.zip"), fuzz::octets(donnees, taille)));
    // Every name is read from the input: none can be longer than it.
    for (const QByteArray& nom : noms)
        if (static_cast<size_t>(nom.size()) > taille)
            std::abort();
    return 0;
}
