// The OpenDocument reader, then the layouts a conversion makes of its text. The input holds
// the package's parts, separated by NUL bytes, so that mutations reach the XML.
#include "Cible.h"

#include "conversions/documents/Zip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille)
{
    static const QStringList noms{QStringLiteral("content.xml"), QStringLiteral("styles.xml"),
                                  QStringLiteral("Pictures/image1.png")};
    const QList<QByteArray> contenus = fuzz::parties(fuzz::octets(donnees, taille), noms.size());
    QList<std::pair<QString, QByteArray>> entrees;
    for (qsizetype i = 0; i < contenus.size(); ++i)
        entrees.append({noms[i], contenus[i]});
    fuzz::parcourirDocument(fuzz::ecrire(QStringLiteral("entree.odt"),
                                         Conversions::ecrireZip(entrees, QStringLiteral("entree.odt"))));
    return 0;
}
