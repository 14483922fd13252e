// The Word reader, then the layouts a conversion makes of its text. The input holds the
// package's parts, separated by NUL bytes, so that mutations reach the XML and not the deflate.
#include "Cible.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille)
{
    static const QStringList noms{QStringLiteral("word/document.xml"), QStringLiteral("word/styles.xml"),
                                  QStringLiteral("word/numbering.xml"), QStringLiteral("word/footnotes.xml"),
                                  QStringLiteral("word/endnotes.xml"),
                                  QStringLiteral("word/_rels/document.xml.rels"),
                                  QStringLiteral("word/media/image1.png"), QStringLiteral("_rels/.rels")};
    fuzz::parcourirDocument(fuzz::paquet(QStringLiteral("entree.docx"), noms, fuzz::octets(donnees, taille)));
    return 0;
}
