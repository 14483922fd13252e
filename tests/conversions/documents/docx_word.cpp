// Word and OpenDocument: our writer read by others, others' files read by us, hostile packages.

#include "conversions/essais_outils.h"

#include "conversions/documents/Documents.h"
#include "conversions/documents/Lecteurs.h"
#include "conversions/documents/Zip.h"

using namespace essais;

// What we write keeps bold, italic, underline, sizes, fonts and colours when we read it back,
// and readers that are not ours see the same text and emphasis.
TEST(DocxWord, AllerRetourGardeLaMiseEnForme)
{
    Dossier d;
    const QString docx = convertirSeul(d.ecrire("mise.rtf",
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Helvetica;}{\\f1 Courier New;}}{\\colortbl;\\red200\\green0\\blue0;"
        "\\red0\\green128\\blue0;}\\f0\\fs24 Titre {\\b\\fs36 gros} {\\i penche} {\\ul trait} "
        "{\\cf1 rouge} {\\cf2\\f1\\fs18 vert}\\par Second paragraphe\\par}"), "docx");
    EXPECT_EQ(docx, d.chemin("mise.docx"));
    sortieDe("unzip", {"-tq", docx});

    const auto doc = Conversions::lireDocument(docx);
    EXPECT_EQ(doc->toPlainText(), "Titre gros penche trait rouge vert\nSecond paragraphe");
    verifierFormes(*doc, {{.mot = "Titre"}, {.mot = "gros", .gras = true, .taille = 18},
                          {.mot = "penche", .italique = true}, {.mot = "trait", .souligne = true},
                          {.mot = "rouge", .couleur = QColor(200, 0, 0)},
                          {.mot = "vert", .taille = 9, .police = "Courier New", .couleur = QColor(0, 128, 0)}});

    EXPECT_TRUE(docx2txt(docx).contains("Titre gros penche trait rouge vert\nSecond paragraphe")) << docx2txt(docx).toStdString();
    const QString html = pandoc(docx, "docx", "html");
    for (const char* balise : {"<strong>gros</strong>", "<em>penche</em>", "<u>trait</u>"})
        EXPECT_TRUE(html.contains(balise)) << html.toStdString();
}

TEST(DocxWord, DocxEtOdtDAutresLogiciels)
{
    Dossier d;
    // Made by pandoc from Markdown: a writer that is not ours.
    const QString md = d.ecrire("source.markdown", "Un **gras** et *italique* ici.\n\nDeuxième paragraphe avec `code`.\n\n"
                          "- point un\n- point deux\n\n| a | b |\n|---|---|\n| c | d |\n");
    for (const QString& nom : QStringList{"pandoc.docx", "pandoc.odt"}) {
        SCOPED_TRACE(nom.toStdString());
        const QString fichier = d.chemin(nom);
        sortieDe("pandoc", {"-f", "markdown", md, "-o", fichier});
        const auto doc = Conversions::lireDocument(fichier);
        const QString texte = doc->toPlainText();
        for (const char* morceau : {"Un gras et italique ici.", "Deuxième paragraphe avec code.", "point deux"})
            EXPECT_TRUE(texte.contains(QString::fromUtf8(morceau))) << morceau << " dans " << texte.toStdString();
        EXPECT_FALSE(texte.contains("**"));
        EXPECT_GE(doc->blockCount(), 4);
        EXPECT_EQ(formatDe(*doc, "gras").fontWeight(), QFont::Bold);
        EXPECT_NE(formatDe(*doc, "Un").fontWeight(), QFont::Bold);
        EXPECT_TRUE(formatDe(*doc, "italique").fontItalic());
        EXPECT_TRUE(pdftotext(convertirSeul(fichier, "pdf")).contains("Un gras et italique ici."));
        // Misnamed: the package's content decides, not the extension.
        const QString renomme = d.chemin(QStringLiteral("renomme %1.doc").arg(nom));
        ASSERT_TRUE(QFile::copy(fichier, renomme));
        EXPECT_TRUE(Conversions::lireDocument(renomme)->toPlainText().contains("point deux"));
    }
}

// A PDF's text arrives with a form feed between pages, the middle page possibly empty;
// the system font of another platform becomes Helvetica, other fonts stay.
TEST(DocxWord, SautsDePageEtPolicesSysteme)
{
    QTextDocument texte;
    texte.setPlainText("Page un\fPage deux\f\fPage quatre ");
    QTextCursor c(&texte);
    c.movePosition(QTextCursor::End);
    QTextCharFormat systeme, autre;
    systeme.setFontFamilies({".AppleSystemUIFont"});
    systeme.setFontPointSize(15);
    autre.setFontFamilies({"Georgia"});
    c.insertText("interface ", systeme);
    c.insertText("georgia", autre);
    Dossier d;
    const QString docx = d.ecrire("pages.docx", Conversions::enWord(texte));
    const QString xml = partie(docx, "word/document.xml");
    EXPECT_EQ(xml.count(QStringLiteral("w:type=\"page\"")), 3) << xml.toStdString();
    EXPECT_FALSE(xml.contains(QChar(0x0C)));
    EXPECT_TRUE(docx2txt(docx).contains("Page quatre"));
    verifierFormes(*Conversions::lireDocument(docx),
                   {{.mot = "interface", .taille = 15}, {.mot = "georgia", .police = "Georgia"}});
    // Read back by us: four pages once laid out.
    const QString pdf = convertirSeul(docx, "pdf");
    EXPECT_EQ(pages(pdf), 4);
    EXPECT_TRUE(pdftotext(pdf, 4).contains("Page quatre"));
    EXPECT_TRUE(pdftotext(pdf, 3).trimmed().isEmpty());
}

TEST(DocxWord, CaracteresInterditsEnXmlEcartes)
{
    Dossier d;
    const QByteArray brut = "avant\x01\x02\x1b apr\xc3\xa8s \xef\xbf\xbe fin\xf0\x9f\x98\x80";
    const QString docx = convertirSeul(d.ecrire("controle.txt", brut), "docx");
    const QString plat = pandoc(docx, "docx", "plain");
    EXPECT_TRUE(plat.simplified().contains("avant après fin\U0001F600")) << plat.toStdString();
    EXPECT_TRUE(docx2txt(docx).contains("avant après  fin\U0001F600"));
}

TEST(DocxWord, OdtStylesSautsEtEspaces)
{
    const QByteArray content =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
        "<office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
        "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
        "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
        "xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\" "
        "xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\">"
        "<office:font-face-decls><style:font-face style:name=\"Mono\" svg:font-family=\"'DejaVu Sans Mono'\"/>"
        "</office:font-face-decls><office:automatic-styles>"
        "<style:style style:name=\"P2\" style:family=\"paragraph\"><style:paragraph-properties fo:break-before=\"page\"/>"
        "</style:style><style:style style:name=\"T1\" style:family=\"text\">"
        "<style:text-properties fo:font-weight=\"bold\" fo:color=\"#0000ff\" fo:font-size=\"16pt\" style:font-name=\"Mono\"/>"
        "</style:style></office:automatic-styles><office:body><office:text>"
        "<text:p>Un  <text:span text:style-name=\"T1\">bleu</text:span>\n   fin<text:s text:c=\"3\"/>x<text:tab/>y"
        "<text:note><text:note-body><text:p>note cachée</text:p></text:note-body></text:note></text:p>"
        "\n    <text:p text:style-name=\"P2\">Deuxième page</text:p>\n  </office:text></office:body></office:document-content>";
    Dossier d;
    const QString odt = d.ecrire("fait.odt",
        Conversions::ecrireZip({{"mimetype", "application/vnd.oasis.opendocument.text"},
                                {"content.xml", content}}, "fait.odt"));
    const auto doc = Conversions::lireDocument(odt);
    EXPECT_EQ(doc->toPlainText(), "Un bleu fin   x\ty1\nDeuxième page\n1. note cachée");
    verifierFormes(*doc, {{.mot = "bleu", .gras = true, .taille = 16, .police = "DejaVu Sans Mono",
                           .couleur = QColor(0, 0, 255)}});
    EXPECT_EQ(pages(convertirSeul(odt, "pdf")), 2);
}

// A zip bomb, a package without its document, broken XML, a zip cut in half, entities
// that expand a billion times, an empty OpenDocument, an old Word file antiword cannot read.
TEST(DocxWord, PaquetsHostilesRefusesAvecLeurNom)
{
    const QByteArray entete = "<?xml version=\"1.0\"?><w:document xmlns:w=\""
                              "http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body><w:p><w:r><w:t>";
    const QByteArray fin = "</w:t></w:r></w:p></w:body></w:document>";
    const auto zip = [](const QString& partie, const QByteArray& contenu) {
        return Conversions::ecrireZip({{partie, contenu}}, "x");
    };
    const QString document = "word/document.xml";
    const QByteArray bombe = zip(document, entete + QByteArray(Conversions::plafondXml + 1, 'a'));
    ASSERT_LT(bombe.size(), 2 * 1024 * 1024);
    const QByteArray long_ = zip(document, entete + QByteArray(50000, 'z') + fin);
    QByteArray rires = "<?xml version=\"1.0\"?><!DOCTYPE d [<!ENTITY l0 \"hahahahaha\">";
    for (int i = 1; i < 10; ++i)
        rires += "<!ENTITY l" + QByteArray::number(i) + " \""
                 + QByteArray("&l" + QByteArray::number(i - 1) + ";").repeated(10) + "\">";
    rires += "]>" + entete.mid(entete.indexOf("<w:document")) + "&l9;" + fin;
    const QList<std::tuple<QString, QByteArray, QString>> cas{
        {"bombe.docx", bombe, "pdf"},
        {"sans.docx", zip("word/styles.xml", "<x/>"), "txt"},
        {"casse.docx", zip(document, entete + "texte</w:r></w:p>"), "docx"},
        {"tronque.docx", long_.left(long_.size() / 2), "pdf"},
        {"rires.docx", zip(document, rires), "txt"},
        {"vide.odt", zip("mimetype", "x"), "pdf"},
        {"vieux.doc", QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(4096, '\x5a'),
         "txt"}};
    for (const auto& [nom, contenu, cible] : cas) {
        Dossier d;
        echoue(d, {d.ecrire(nom, contenu)}, cible, {illisible(nom)});
    }
}
