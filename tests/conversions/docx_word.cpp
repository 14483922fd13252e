// Word and OpenDocument: our writer read by others, others' files read by us, hostile packages.

#include "documents_outils.h"

#include "conversions/Documents.h"
#include "conversions/Lecteurs.h"
#include "conversions/Zip.h"

#include <QColor>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

using namespace essaisDocuments;

namespace {

QTextCharFormat formatDe(const QTextDocument& document, const QString& mot)
{
    const QTextCursor c = document.find(mot);
    EXPECT_FALSE(c.isNull()) << mot.toStdString();
    QTextCursor un(const_cast<QTextDocument*>(&document));
    un.setPosition(c.selectionStart() + 1);
    return un.charFormat();
}

// A document made by pandoc from Markdown: a writer that is not ours.
QString parPandoc(const Dossier& d, const QByteArray& markdown, const QString& nom)
{
    const QString md = d.ecrire(QStringLiteral("source.markdown"), markdown);
    lancer(QStringLiteral("pandoc"), {QStringLiteral("-f"), QStringLiteral("markdown"), md,
                                      QStringLiteral("-o"), d.chemin(nom)});
    QFile::remove(md);
    return d.chemin(nom);
}

const QByteArray rtfMisEnForme =
    "{\\rtf1\\ansi{\\fonttbl{\\f0 Helvetica;}{\\f1 Courier New;}}{\\colortbl;\\red200\\green0\\blue0;"
    "\\red0\\green128\\blue0;}\\f0\\fs24 Titre {\\b\\fs36 gros} {\\i penche} {\\ul trait} "
    "{\\cf1 rouge} {\\cf2\\f1\\fs18 vert}\\par Second paragraphe\\par}";

} // namespace

// What we write keeps bold, italic, underline, sizes, fonts and colours when we read it back,
// and readers that are not ours see the same text and emphasis.
TEST(DocxWord, AllerRetourGardeLaMiseEnForme)
{
    Dossier d;
    const QString docx = convertirSeul(d.ecrire(QStringLiteral("mise.rtf"), rtfMisEnForme), QStringLiteral("docx"));
    EXPECT_EQ(docx, d.chemin(QStringLiteral("mise.docx")));
    lancer(QStringLiteral("unzip"), {QStringLiteral("-tq"), docx});

    const auto doc = Conversions::lireDocument(docx);
    EXPECT_EQ(doc->toPlainText(), QStringLiteral("Titre gros penche trait rouge vert\nSecond paragraphe"));
    EXPECT_EQ(formatDe(*doc, QStringLiteral("gros")).fontWeight(), QFont::Bold);
    EXPECT_EQ(formatDe(*doc, QStringLiteral("gros")).fontPointSize(), 18);
    EXPECT_EQ(formatDe(*doc, QStringLiteral("Titre")).fontWeight(), QFont::Normal);
    EXPECT_EQ(formatDe(*doc, QStringLiteral("Titre")).fontPointSize(), 12);
    EXPECT_TRUE(formatDe(*doc, QStringLiteral("penche")).fontItalic());
    EXPECT_TRUE(formatDe(*doc, QStringLiteral("trait")).fontUnderline());
    EXPECT_FALSE(formatDe(*doc, QStringLiteral("rouge")).fontUnderline());
    EXPECT_EQ(formatDe(*doc, QStringLiteral("rouge")).foreground().color(), QColor(200, 0, 0));
    EXPECT_EQ(formatDe(*doc, QStringLiteral("vert")).foreground().color(), QColor(0, 128, 0));
    EXPECT_EQ(formatDe(*doc, QStringLiteral("vert")).fontPointSize(), 9);
    EXPECT_EQ(formatDe(*doc, QStringLiteral("vert")).fontFamilies().toStringList(),
              QStringList{QStringLiteral("Courier New")});

    const QString texte = docx2txt(docx);
    EXPECT_TRUE(texte.contains(QStringLiteral("Titre gros penche trait rouge vert"))) << texte.toStdString();
    EXPECT_TRUE(texte.contains(QStringLiteral("Second paragraphe")));
    const QString html = pandoc(docx, QStringLiteral("docx"), QStringLiteral("html"));
    EXPECT_TRUE(html.contains(QStringLiteral("<strong>gros</strong>"))) << html.toStdString();
    EXPECT_TRUE(html.contains(QStringLiteral("<em>penche</em>"))) << html.toStdString();
    EXPECT_TRUE(html.contains(QStringLiteral("<u>trait</u>"))) << html.toStdString();
}

TEST(DocxWord, DocxEtOdtDAutresLogiciels)
{
    Dossier d;
    const QByteArray md = "Un **gras** et *italique* ici.\n\nDeuxième paragraphe avec `code`.\n\n"
                          "- point un\n- point deux\n\n| a | b |\n|---|---|\n| c | d |\n";
    for (const char* nom : {"pandoc.docx", "pandoc.odt"}) {
        const QString fichier = parPandoc(d, md, QString::fromLatin1(nom));
        const auto doc = Conversions::lireDocument(fichier);
        const QString texte = doc->toPlainText();
        EXPECT_TRUE(texte.contains(QStringLiteral("Un gras et italique ici."))) << nom << ": " << texte.toStdString();
        EXPECT_TRUE(texte.contains(QStringLiteral("Deuxième paragraphe avec code."))) << nom;
        EXPECT_TRUE(texte.contains(QStringLiteral("point deux"))) << nom;
        EXPECT_TRUE(texte.contains(QStringLiteral("c"))) << nom;
        EXPECT_EQ(formatDe(*doc, QStringLiteral("gras")).fontWeight(), QFont::Bold) << nom;
        EXPECT_NE(formatDe(*doc, QStringLiteral("Un")).fontWeight(), QFont::Bold) << nom;
        EXPECT_TRUE(formatDe(*doc, QStringLiteral("italique")).fontItalic()) << nom;
        EXPECT_FALSE(texte.contains(QStringLiteral("**"))) << nom;
        EXPECT_GE(doc->blockCount(), 4) << nom;

        const QString pdf = convertirSeul(fichier, QStringLiteral("pdf"));
        EXPECT_TRUE(pdftotext(pdf).contains(QStringLiteral("Un gras et italique ici."))) << nom;

        // Misnamed: the package's content decides, not the extension.
        const QString renomme = d.chemin(QStringLiteral("renomme %1.doc").arg(QString::fromLatin1(nom)));
        ASSERT_TRUE(QFile::copy(fichier, renomme));
        EXPECT_TRUE(Conversions::lireDocument(renomme)->toPlainText().contains(QStringLiteral("point deux"))) << nom;
    }
}

TEST(DocxWord, SautsDePageEtFormFeed)
{
    // A PDF's text arrives with a form feed between pages, the middle page possibly empty.
    QTextDocument texte;
    texte.setPlainText(QStringLiteral("Page un\fPage deux\f\fPage quatre"));
    Dossier d;
    const QString docx = d.ecrire(QStringLiteral("pages.docx"), Conversions::enWord(texte));
    const QString xml = partie(docx, QStringLiteral("word/document.xml"));
    EXPECT_EQ(xml.count(QStringLiteral("w:type=\"page\"")), 3) << xml.toStdString();
    EXPECT_FALSE(xml.contains(QChar(0x0C)));
    EXPECT_TRUE(docx2txt(docx).contains(QStringLiteral("Page quatre")));

    // Read back by us: four pages once laid out.
    const QString pdf = convertirSeul(docx, QStringLiteral("pdf"));
    EXPECT_EQ(pages(pdf), 4);
    EXPECT_TRUE(pdftotext(pdf, 4).contains(QStringLiteral("Page quatre")));
    EXPECT_TRUE(pdftotext(pdf, 3).trimmed().isEmpty());
}

TEST(DocxWord, CaracteresInterditsEnXmlEcartes)
{
    Dossier d;
    const QByteArray brut = "avant\x01\x02\x1b apr\xc3\xa8s \xef\xbf\xbe fin\xf0\x9f\x98\x80";
    const QString docx = convertirSeul(d.ecrire(QStringLiteral("controle.txt"), brut), QStringLiteral("docx"));
    const QString plat = pandoc(docx, QStringLiteral("docx"), QStringLiteral("plain"));
    EXPECT_TRUE(plat.simplified().contains(QStringLiteral("avant après fin\U0001F600"))) << plat.toStdString();
    EXPECT_TRUE(docx2txt(docx).contains(QStringLiteral("avant après  fin\U0001F600")));
}

TEST(DocxWord, PolicesSystemeDevenuesHelvetica)
{
    QTextDocument texte;
    QTextCursor c(&texte);
    QTextCharFormat systeme;
    systeme.setFontFamilies({QStringLiteral(".AppleSystemUIFont")});
    systeme.setFontPointSize(15);
    c.insertText(QStringLiteral("interface "), systeme);
    QTextCharFormat autre;
    autre.setFontFamilies({QStringLiteral("Georgia")});
    c.insertText(QStringLiteral("georgia"), autre);
    Dossier d;
    const QString docx = d.ecrire(QStringLiteral("polices.docx"), Conversions::enWord(texte));
    const auto relu = Conversions::lireDocument(docx);
    EXPECT_EQ(formatDe(*relu, QStringLiteral("interface")).fontFamilies().toStringList(),
              QStringList{QStringLiteral("Helvetica")});
    EXPECT_EQ(formatDe(*relu, QStringLiteral("interface")).fontPointSize(), 15);
    EXPECT_EQ(formatDe(*relu, QStringLiteral("georgia")).fontFamilies().toStringList(),
              QStringList{QStringLiteral("Georgia")});
    EXPECT_EQ(formatDe(*relu, QStringLiteral("georgia")).fontPointSize(), 12);
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
    const QString odt = d.ecrire(QStringLiteral("fait.odt"),
        Conversions::ecrireZip({{QStringLiteral("mimetype"), "application/vnd.oasis.opendocument.text"},
                                {QStringLiteral("content.xml"), content}}, QStringLiteral("fait.odt")));
    const auto doc = Conversions::lireDocument(odt);
    EXPECT_EQ(doc->toPlainText(), QStringLiteral("Un bleu fin   x\ty\nDeuxième page"));
    const QTextCharFormat bleu = formatDe(*doc, QStringLiteral("bleu"));
    EXPECT_EQ(bleu.fontWeight(), QFont::Bold);
    EXPECT_EQ(bleu.foreground().color(), QColor(0, 0, 255));
    EXPECT_EQ(bleu.fontPointSize(), 16);
    EXPECT_EQ(bleu.fontFamilies().toStringList(), QStringList{QStringLiteral("DejaVu Sans Mono")});
    EXPECT_EQ(pages(convertirSeul(odt, QStringLiteral("pdf"))), 2);
}

TEST(DocxWord, PaquetsHostilesRefusesAvecLeurNom)
{
    Dossier d;
    const auto paquet = [&](const QString& nom, const QList<std::pair<QString, QByteArray>>& entrees) {
        return d.ecrire(nom, Conversions::ecrireZip(entrees, nom));
    };
    const QByteArray entete = "<?xml version=\"1.0\"?><w:document xmlns:w=\""
                              "http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body><w:p><w:r><w:t>";
    // Inflates past any real document: stops at the limit instead of filling memory.
    QByteArray enorme = entete;
    enorme.append(QByteArray(Conversions::plafondXml + 1, 'a'));
    const QString bombe = paquet(QStringLiteral("bombe.docx"), {{QStringLiteral("word/document.xml"), enorme}});
    enorme.clear();
    EXPECT_LT(QFileInfo(bombe).size(), 2 * 1024 * 1024);
    EXPECT_EQ(echec(bombe, QStringLiteral("pdf")), QStringLiteral("Impossible de lire « bombe.docx »"));

    const QString sans = paquet(QStringLiteral("sans.docx"), {{QStringLiteral("word/styles.xml"), "<x/>"}});
    EXPECT_EQ(echec(sans, QStringLiteral("txt")), QStringLiteral("Impossible de lire « sans.docx »"));

    const QString casse = paquet(QStringLiteral("casse.docx"),
                                 {{QStringLiteral("word/document.xml"), entete + "texte</w:r></w:p>"}});
    EXPECT_EQ(echec(casse, QStringLiteral("docx")), QStringLiteral("Impossible de lire « casse.docx »"));

    const QString bon = paquet(QStringLiteral("tronque.docx"),
                               {{QStringLiteral("word/document.xml"), entete + QByteArray(50000, 'z') + "</w:t></w:r></w:p></w:body></w:document>"}});
    QFile f(bon);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.resize(f.size() / 2);
    f.close();
    EXPECT_EQ(echec(bon, QStringLiteral("pdf")), QStringLiteral("Impossible de lire « tronque.docx »"));

    // Entities that expand a billion times.
    QByteArray rires = "<?xml version=\"1.0\"?><!DOCTYPE d [<!ENTITY l0 \"hahahahaha\">";
    for (int i = 1; i < 10; ++i)
        rires += "<!ENTITY l" + QByteArray::number(i) + " \"" + QByteArray("&l" + QByteArray::number(i - 1) + ";").repeated(10) + "\">";
    rires += "]>" + entete.mid(entete.indexOf("<w:document")) + "&l9;</w:t></w:r></w:p></w:body></w:document>";
    const QString rire = paquet(QStringLiteral("rires.docx"), {{QStringLiteral("word/document.xml"), rires}});
    EXPECT_EQ(echec(rire, QStringLiteral("txt")), QStringLiteral("Impossible de lire « rires.docx »"));

    const QString odt = paquet(QStringLiteral("vide.odt"), {{QStringLiteral("mimetype"), "x"}});
    EXPECT_EQ(echec(odt, QStringLiteral("pdf")), QStringLiteral("Impossible de lire « vide.odt »"));

    EXPECT_EQ(d.noms(), (QStringList{QStringLiteral("bombe.docx"), QStringLiteral("casse.docx"),
                                     QStringLiteral("rires.docx"), QStringLiteral("sans.docx"),
                                     QStringLiteral("tronque.docx"),
                                     QStringLiteral("vide.odt")}));
}

TEST(DocxWord, DocIllisibleParAntiword)
{
    Dossier d;
    QByteArray faux("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    faux.append(QByteArray(4096, '\x5a'));
    const QString doc = d.ecrire(QStringLiteral("vieux.doc"), faux);
    EXPECT_EQ(echec(doc, QStringLiteral("txt")), QStringLiteral("Impossible de lire « vieux.doc »"));
    EXPECT_EQ(d.noms(), QStringList{QStringLiteral("vieux.doc")});
}
