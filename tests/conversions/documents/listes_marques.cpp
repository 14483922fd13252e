// List markers as files define them: a level's marker text of thousands of characters is cut,
// so that a small file repeating it for every item still converts at once; Word lists split
// over several list entries of one definition count on, as office suites write them.

#include "conversions/essais_outils.h"

#include "conversions/documents/Documents.h"
#include "conversions/documents/Zip.h"

#include <QRegularExpression>
#include <QTextBlock>
#include <QTextDocument>

using namespace essais;

namespace {

constexpr int articles = 200;
const QByteArray geant(20000, 'x');

QByteArray docx()
{
    const QByteArray w = "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";
    QByteArray corps;
    for (int i = 1; i <= articles; ++i)
        corps += "<w:p><w:pPr><w:numPr><w:ilvl w:val=\"0\"/><w:numId w:val=\"1\"/></w:numPr></w:pPr>"
                 "<w:r><w:t>article " + QByteArray::number(i) + "</w:t></w:r></w:p>";
    const QByteArray numeros = "<w:numbering " + w + "><w:abstractNum w:abstractNumId=\"0\"><w:lvl w:ilvl=\"0\">"
        "<w:start w:val=\"1\"/><w:numFmt w:val=\"decimal\"/><w:lvlText w:val=\"%1" + geant + "\"/></w:lvl>"
        "</w:abstractNum><w:num w:numId=\"1\"><w:abstractNumId w:val=\"0\"/></w:num></w:numbering>";
    return Conversions::ecrireZip({{"word/document.xml", "<w:document " + w + "><w:body>" + corps + "</w:body></w:document>"},
                                   {"word/numbering.xml", numeros}}, "x");
}

QByteArray odt()
{
    QByteArray corps;
    for (int i = 1; i <= articles; ++i)
        corps += "<text:list-item><text:p>article " + QByteArray::number(i) + "</text:p></text:list-item>";
    const QByteArray contenu =
        "<office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
        "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
        "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\"><office:automatic-styles>"
        "<text:list-style style:name=\"L1\"><text:list-level-style-number text:level=\"1\" style:num-format=\"1\" "
        "style:num-prefix=\"" + geant + "\" style:num-suffix=\")" + geant + "\"/></text:list-style>"
        "</office:automatic-styles><office:body><office:text><text:list text:style-name=\"L1\">" + corps +
        "</text:list></office:text></office:body></office:document-content>";
    return Conversions::ecrireZip({{"content.xml", contenu}}, "x");
}

// One numbered list as an office suite exports it: its first item through a list entry that
// restarts the count, the next ones through another entry of the same definition; a later
// entry that restarts begins again at 1.
QByteArray docxListeEnPlusieursEntrees()
{
    const QByteArray w = "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";
    QByteArray corps;
    for (const auto& [numId, mot] : {std::pair{"6", "un"}, {"4", "deux"}, {"4", "trois"}, {"7", "encore"}})
        corps += QByteArray("<w:p><w:pPr><w:numPr><w:ilvl w:val=\"0\"/><w:numId w:val=\"") + numId +
                 "\"/></w:numPr></w:pPr><w:r><w:t>" + mot + "</w:t></w:r></w:p>";
    const QByteArray recommence = "<w:lvlOverride w:ilvl=\"0\"><w:startOverride w:val=\"1\"/></w:lvlOverride>";
    const QByteArray numeros = "<w:numbering " + w + "><w:abstractNum w:abstractNumId=\"4\"><w:lvl w:ilvl=\"0\">"
        "<w:start w:val=\"1\"/><w:numFmt w:val=\"decimal\"/><w:lvlText w:val=\"%1.\"/></w:lvl></w:abstractNum>"
        "<w:num w:numId=\"4\"><w:abstractNumId w:val=\"4\"/></w:num>"
        "<w:num w:numId=\"6\"><w:abstractNumId w:val=\"4\"/>" + recommence + "</w:num>"
        "<w:num w:numId=\"7\"><w:abstractNumId w:val=\"4\"/>" + recommence + "</w:num></w:numbering>";
    return Conversions::ecrireZip({{"word/document.xml", "<w:document " + w + "><w:body>" + corps + "</w:body></w:document>"},
                                   {"word/numbering.xml", numeros}}, "x");
}

} // namespace

TEST(ListesMarques, ListeWordEnPlusieursEntreesContinue)
{
    Dossier d;
    const QString source = d.ecrire("etapes.docx", docxListeEnPlusieursEntrees());
    const QString texte = sortieDe("pdftotext", {"-layout", convertirSeul(source, "pdf"), "-"});
    for (const char* ligne : {"1\\.\\s+un", "2\\.\\s+deux", "3\\.\\s+trois", "1\\.\\s+encore"})
        EXPECT_TRUE(texte.contains(QRegularExpression(QString::fromLatin1(ligne)))) << ligne << " dans " << texte.toStdString();
}

TEST(ListesMarques, MarqueGeanteCoupeeAChaqueArticle)
{
    Dossier d;
    const QList<std::pair<QString, QByteArray>> cas{{"liste.docx", docx()}, {"liste.odt", odt()}};
    for (const auto& [nom, contenu] : cas) {
        SCOPED_TRACE(nom.toStdString());
        const QString source = d.ecrire(nom, contenu);
        const auto texte = Conversions::lireDocument(source);
        ASSERT_EQ(texte->blockCount(), articles);
        int i = 0;
        for (QTextBlock b = texte->begin(); b.isValid(); b = b.next()) {
            const QString ligne = b.text();
            const qsizetype tab = ligne.indexOf(QLatin1Char('\t'));
            ASSERT_GT(tab, 0) << ligne.left(80).toStdString();
            // The marker keeps its head (the item's number where the file puts it first)…
            const QString marque = ligne.left(tab);
            EXPECT_LE(marque.size(), 48);
            if (nom.endsWith("docx"))
                EXPECT_TRUE(marque.startsWith(QString::number(++i) + "xxx")) << marque.toStdString();
            else
                EXPECT_EQ(marque, QString(48, 'x')) << marque.toStdString();
            // …and the item its text.
            EXPECT_EQ(ligne.mid(tab + 1), QStringLiteral("article %1").arg(b.blockNumber() + 1));
        }
        // Every output still gets every item.
        const QString pdf = convertirSeul(source, "pdf");
        EXPECT_TRUE(pdftotext(pdf).contains("article 200"));
        const QString word = convertirSeul(source, "docx");
        EXPECT_TRUE(docx2txt(word).contains("article 200"));
        QFile::remove(pdf);
        QFile::remove(word);
    }
}
