// The OpenDocument reader, then the layouts a conversion makes of its text. The input holds
// the package's parts, separated by NUL bytes, so that mutations reach the XML (the last one is
// an embedded formula's).
#include "Cible.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille)
{
    static const QStringList noms{QStringLiteral("content.xml"), QStringLiteral("styles.xml"),
                                  QStringLiteral("Pictures/image1.png"), QStringLiteral("Object 1/content.xml")};
    fuzz::parcourirDocument(fuzz::paquet(QStringLiteral("entree.odt"), noms, fuzz::octets(donnees, taille)));
    return 0;
}
