// A Word package names its parts through its relationships: the main part under another name
// or in another folder, and its styles, notes and pictures wherever it says.

#include "conversions/essais_outils.h"

#include "conversions/documents/Documents.h"
#include "conversions/documents/Zip.h"

#include <QBuffer>
#include <QTextBlock>
#include <QTextDocument>

using namespace essais;

namespace {

const QByteArray w = "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
                     "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";
const QByteArray relNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

QByteArray relations(const QList<std::pair<QByteArray, QByteArray>>& liste)
{
    QByteArray xml = "<?xml version=\"1.0\"?><Relationships "
                     "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    int n = 0;
    for (const auto& [type, cible] : liste)
        xml += "<Relationship Id=\"rId" + QByteArray::number(++n) + "\" Type=\"" + relNs + type + "\" Target=\"" + cible
               + "\"/>";
    return xml + "</Relationships>";
}

QByteArray typesDeContenu(const QByteArray& principale)
{
    return "<?xml version=\"1.0\"?><Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
           "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
           "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
           "<Default Extension=\"png\" ContentType=\"image/png\"/>"
           "<Override PartName=\"/" + principale + "\" "
           "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/></Types>";
}

QByteArray corps(const QByteArray& contenu)
{
    return "<?xml version=\"1.0\"?><w:document " + w + "><w:body>" + contenu + "</w:body></w:document>";
}

QByteArray carreRouge()
{
    QImage image(20, 10, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray png;
    QBuffer tampon(&png);
    tampon.open(QIODevice::WriteOnly);
    image.save(&tampon, "PNG");
    return png;
}

int images(const QTextDocument& document)
{
    int n = 0;
    for (QTextBlock b = document.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            n += it.fragment().charFormat().isImageFormat();
    return n;
}

} // namespace

// The package as the report has it: its relationships name word/document2.xml.
TEST(DocxRelations, LaPartiePrincipaleSousUnAutreNom)
{
    Dossier d;
    const QString source = d.ecrire(
        "bonjour.docx",
        Conversions::ecrireZip({{"[Content_Types].xml", typesDeContenu("word/document2.xml")},
                                {"_rels/.rels", relations({{"officeDocument", "word/document2.xml"}})},
                                {"word/document2.xml", corps("<w:p><w:r><w:t>Hello, world</w:t></w:r></w:p>")}},
                               "x"));
    ASSERT_EQ(pandoc(source, "docx", "plain").trimmed(), "Hello, world");  // a reader that is not ours
    EXPECT_EQ(QString::fromUtf8(lire(convertirSeul(source, "txt"))), "Hello, world");
    EXPECT_TRUE(pdftotext(convertirSeul(source, "pdf")).contains("Hello, world"));
    EXPECT_TRUE(docx2txt(convertirSeul(source, "docx")).contains("Hello, world"));
}

// The main part in a folder of its own; its styles, notes and picture named by its relationships,
// beside it, above it and from the package's root.
TEST(DocxRelations, StylesNotesEtImagesParLesRelationsDeLaPartiePrincipale)
{
    Dossier d;
    const QByteArray styles = "<?xml version=\"1.0\"?><w:styles " + w + ">"
                              "<w:style w:type=\"character\" w:styleId=\"Fort\"><w:rPr><w:b/></w:rPr></w:style>"
                              "</w:styles>";
    const QByteArray dessin =
        "<w:r><w:drawing><wp:inline xmlns:wp=\"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing\">"
        "<wp:extent cx=\"254000\" cy=\"127000\"/><a:graphic xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\">"
        "<a:graphicData><pic:pic xmlns:pic=\"http://schemas.openxmlformats.org/drawingml/2006/picture\"><pic:blipFill>"
        "<a:blip r:embed=\"rId2\"/></pic:blipFill></pic:pic></a:graphicData></a:graphic></wp:inline></w:drawing></w:r>";
    const QByteArray texte = corps("<w:p><w:r><w:t xml:space=\"preserve\">Un mot </w:t></w:r>"
                                   "<w:r><w:rPr><w:rStyle w:val=\"Fort\"/></w:rPr><w:t>appuyé</w:t></w:r>"
                                   "<w:r><w:footnoteReference w:id=\"1\"/></w:r></w:p><w:p>" + dessin + "</w:p>");
    const QByteArray notes = "<?xml version=\"1.0\"?><w:footnotes " + w + "><w:footnote w:id=\"1\"><w:p>"
                             "<w:r><w:footnoteRef/></w:r><w:r><w:t xml:space=\"preserve\"> La note.</w:t></w:r>"
                             "</w:p></w:footnote></w:footnotes>";
    const QString source = d.ecrire(
        "ailleurs.docx",
        Conversions::ecrireZip({{"[Content_Types].xml", typesDeContenu("texte/principal.xml")},
                                {"_rels/.rels", relations({{"officeDocument", "/texte/principal.xml"}})},
                                {"texte/principal.xml", texte},
                                {"texte/_rels/principal.xml.rels",
                                 relations({{"styles", "mesStyles.xml"}, {"image", "../images/carre.png"},
                                            {"footnotes", "/notes/bas.xml"}})},
                                {"texte/mesStyles.xml", styles},
                                {"images/carre.png", carreRouge()},
                                {"notes/bas.xml", notes}},
                               "x"));
    ASSERT_TRUE(pandoc(source, "docx", "plain").contains("Un mot appuyé"));  // a reader that is not ours
    const auto document = Conversions::lireDocument(source);
    EXPECT_TRUE(document->toPlainText().startsWith("Un mot appuyé1")) << document->toPlainText().toStdString();
    EXPECT_TRUE(document->toPlainText().contains("1. La note.")) << document->toPlainText().toStdString();
    verifierFormes(*document, {{.mot = "mot"}, {.mot = "appuyé", .gras = true}});
    EXPECT_EQ(images(*document), 1);
}
