// RTF and RTFD: formatting, escapes, code pages, destinations, hostile input.

#include "documents_outils.h"

#include "conversions/Documents.h"

#include <QColor>
#include <QDir>
#include <QRandomGenerator>
#include <QTextBlock>
#include <QTextDocument>

using namespace essaisDocuments;

namespace {

const QByteArray enTete =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Helvetica;}"
    "{\\f1\\fmodern\\fcharset0 Courier New{\\*\\falt Courier};}}"
    "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
    "{\\*\\generator Essai;}{\\info{\\title Titre cach\\'e9}{\\author Quelqu'un}}\n";

// The format of the first character of `mot` in the document.
QTextCharFormat formatDe(const QTextDocument& document, const QString& mot)
{
    const QTextCursor c = document.find(mot);
    EXPECT_FALSE(c.isNull()) << mot.toStdString();
    QTextCursor un(const_cast<QTextDocument*>(&document));
    un.setPosition(c.selectionStart() + 1);
    return un.charFormat();
}

QString texteDe(const QByteArray& rtf)
{
    Dossier d;
    return QString::fromUtf8(lire(convertirSeul(d.ecrire(QStringLiteral("t.rtf"), rtf), QStringLiteral("txt"))));
}

} // namespace

TEST(RtfLecture, GrasItaliqueSouligneTaillesPolicesCouleurs)
{
    Dossier d;
    const QString source = d.ecrire(QStringLiteral("mise.rtf"),
        enTete + "\\f0\\fs24 Normal {\\b gras} {\\i italique} {\\ul souligne\\ulnone  plus} "
                 "{\\fs40 grand} {\\f1 machine} {\\cf1 rouge} {\\cf2\\b\\i bleu}\\b0  fin\\par}");
    const auto doc = Conversions::lireDocument(source);
    EXPECT_EQ(doc->toPlainText(), QStringLiteral("Normal gras italique souligne plus grand machine rouge bleu fin"));

    EXPECT_EQ(formatDe(*doc, QStringLiteral("Normal")).fontWeight(), QFont::Normal);
    EXPECT_EQ(formatDe(*doc, QStringLiteral("gras")).fontWeight(), QFont::Bold);
    EXPECT_TRUE(formatDe(*doc, QStringLiteral("italique")).fontItalic());
    EXPECT_FALSE(formatDe(*doc, QStringLiteral("gras")).fontItalic());
    EXPECT_TRUE(formatDe(*doc, QStringLiteral("souligne")).fontUnderline());
    EXPECT_FALSE(formatDe(*doc, QStringLiteral("plus")).fontUnderline());
    EXPECT_EQ(formatDe(*doc, QStringLiteral("grand")).fontPointSize(), 20);
    EXPECT_EQ(formatDe(*doc, QStringLiteral("Normal")).fontPointSize(), 12);
    EXPECT_EQ(formatDe(*doc, QStringLiteral("machine")).fontFamilies().toStringList(),
              QStringList{QStringLiteral("Courier New")});
    EXPECT_EQ(formatDe(*doc, QStringLiteral("Normal")).fontFamilies().toStringList(),
              QStringList{QStringLiteral("Helvetica")});
    EXPECT_EQ(formatDe(*doc, QStringLiteral("rouge")).foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(formatDe(*doc, QStringLiteral("bleu")).foreground().color(), QColor(0, 0, 255));
    EXPECT_TRUE(formatDe(*doc, QStringLiteral("bleu")).fontItalic());
    EXPECT_FALSE(formatDe(*doc, QStringLiteral("fin")).hasProperty(QTextFormat::ForegroundBrush));
    EXPECT_EQ(formatDe(*doc, QStringLiteral("fin")).fontWeight(), QFont::Normal);
}

TEST(RtfLecture, EchappementsEtPagesDeCodes)
{
    EXPECT_EQ(texteDe(enTete + "caf\\'e9 \\u8364? \\uc2\\u8212\\'97\\'97 fin\\uc1 "
                               "\\{a\\}\\\\ b\\~c \\emdash\\endash\\lquote x\\rquote\\ldblquote y\\rdblquote\\par}"),
              QStringLiteral("café € — fin{a}\\ b\u00a0c —–‘x’“y”"));
    // \'hh in the document's code page, and in a font's own character set.
    EXPECT_EQ(texteDe("{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8\\'e2\\'e5\\'f2}"), QStringLiteral("Привет"));
    EXPECT_EQ(texteDe("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset161 Arial Greek;}}"
                      "\\f0 \\'e9 \\f1 \\'e1\\'e2}"),
              QStringLiteral("é αβ"));
    // A font's name in its own code page.
    EXPECT_EQ(texteDe("{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset128 \\'82\\'6c\\'82\\'72 Mincho;}}\\f0 x}"),
              QStringLiteral("x"));
    {
        Dossier d;
        const auto doc = Conversions::lireDocument(d.ecrire(QStringLiteral("p.rtf"),
            "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset0 Caf\\'e9;}{\\f1 Autre;}}\\f0 x\\f1 y}"));
        EXPECT_EQ(formatDe(*doc, QStringLiteral("x")).fontFamilies().toStringList(), QStringList{QStringLiteral("Café")});
        EXPECT_EQ(formatDe(*doc, QStringLiteral("y")).fontFamilies().toStringList(), QStringList{QStringLiteral("Autre")});
    }
    // Double-byte code pages need both bytes together.
    EXPECT_EQ(texteDe("{\\rtf1\\ansi\\ansicpg932 \\'82\\'a0\\'82\\'a2}"), QStringLiteral("あい"));
    // Characters outside the basic plane come as two \u.
    EXPECT_EQ(texteDe("{\\rtf1 \\u-10179?\\u-8704?}"), QStringLiteral("\U0001F600"));
    // The same text twice, in the code page and in Unicode: shown once.
    EXPECT_EQ(texteDe("{\\rtf1 a{\\upr{caf\\'e9}{\\*\\ud{caf\\u233?}}}b}"), QStringLiteral("acaféb"));
    // Mac Roman.
    EXPECT_EQ(texteDe("{\\rtf1\\mac \\'8e}"), QStringLiteral("é"));
}

TEST(RtfLecture, DestinationsInconnuesEtDonneesBinairesSautees)
{
    const QString t = texteDe(enTete + "A{\\*\\motinconnu secret}{\\stylesheet{\\s1 Style;}}"
                              "{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt lien}}"
                              "{\\pict\\pngblip 89504e47}{\\*\\blob\\bin5 }{\\}}}B"
                              "{\\header en-tete}C\\par}");
    EXPECT_EQ(t, QStringLiteral("AlienBC"));
    // Hidden text stays hidden; table cells stay apart.
    EXPECT_EQ(texteDe(enTete + "vu {\\v cach\\'e9}\\v  aussi\\v0  revu\\par}"), QStringLiteral("vu  revu"));
    EXPECT_EQ(texteDe(enTete + "\\trowd\\cellx1000\\cellx2000 a\\cell b\\cell\\row c\\par}"),
              QStringLiteral("a\tb\t\nc"));
    EXPECT_FALSE(t.contains(QStringLiteral("Titre")));
}

TEST(RtfLecture, ParagraphesLignesEtSautsDePage)
{
    Dossier d;
    const QString source = d.ecrire(QStringLiteral("pages.rtf"),
        enTete + "Premier\\par Second\\line suite\\tab fin\\page Troisieme\\par\\par}");
    const auto doc = Conversions::lireDocument(source);
    EXPECT_EQ(doc->blockCount(), 3);
    EXPECT_EQ(doc->toPlainText(), QStringLiteral("Premier\nSecond\nsuite\tfin\nTroisieme"));
    EXPECT_TRUE(doc->findBlockByNumber(2).blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore);

    const QString pdf = convertirSeul(source, QStringLiteral("pdf"));
    EXPECT_EQ(pages(pdf), 2);
    EXPECT_TRUE(pdftotext(pdf, 1).contains(QStringLiteral("Second")));
    EXPECT_FALSE(pdftotext(pdf, 1).contains(QStringLiteral("Troisieme")));
    EXPECT_TRUE(pdftotext(pdf, 2).contains(QStringLiteral("Troisieme")));
}

TEST(RtfLecture, CouleursPeintesDansLePdf)
{
    Dossier d;
    const QString pdf = convertirSeul(
        d.ecrire(QStringLiteral("rouge.rtf"), enTete + "{\\fs96\\cf1 MMMM}\\par}"), QStringLiteral("pdf"));
    const QImage page = rendre(pdf, 1);
    int rouges = 0, noirs = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QColor c = page.pixelColor(x, y);
            rouges += c.red() > 200 && c.green() < 60 && c.blue() < 60;
            noirs += c.red() < 60 && c.green() < 60 && c.blue() < 60;
        }
    EXPECT_GT(rouges, 300);
    EXPECT_EQ(noirs, 0);
}

TEST(RtfLecture, RtfdLitSonTxtRtf)
{
    Dossier d;
    d.ecrire(QStringLiteral("lettre.rtfd/TXT.rtf"), enTete + "Bonjour {\\b du paquet}\\par}");
    d.ecrire(QStringLiteral("lettre.rtfd/image.png"), "pas lu");
    const QString txt = convertirSeul(d.chemin(QStringLiteral("lettre.rtfd")), QStringLiteral("txt"));
    EXPECT_EQ(txt, d.chemin(QStringLiteral("lettre.txt")));
    EXPECT_EQ(lire(txt), QByteArray("Bonjour du paquet"));

    d.creerDossier(QStringLiteral("vide.rtfd"));
    EXPECT_EQ(echec(d.chemin(QStringLiteral("vide.rtfd")), QStringLiteral("pdf")),
              QStringLiteral("Impossible de lire « vide.rtfd »"));
}

TEST(RtfLecture, ImbricationProfondeRefuseeSansPlanter)
{
    Dossier d;
    const QByteArray profond = "{\\rtf1 " + QByteArray(100000, '{') + "x" + QByteArray(100000, '}') + "}";
    const QString source = d.ecrire(QStringLiteral("profond.rtf"), profond);
    EXPECT_EQ(echec(source, QStringLiteral("pdf")), QStringLiteral("Impossible de lire « profond.rtf »"));
    EXPECT_EQ(d.noms(), QStringList{QStringLiteral("profond.rtf")});
    // Reasonable nesting still reads.
    EXPECT_EQ(texteDe("{\\rtf1 " + QByteArray(200, '{') + "x" + QByteArray(200, '}') + "}"), QStringLiteral("x"));
}

TEST(RtfLecture, BinaireOuTronqueSansPlanter)
{
    Dossier d;
    QByteArray bruit(64 * 1024, 0);
    QRandomGenerator alea(7);
    for (auto& c : bruit)
        c = static_cast<char>(alea.bounded(256));
    const QString blob = d.ecrire(QStringLiteral("blob.rtf"), bruit);
    EXPECT_EQ(echec(blob, QStringLiteral("docx")), QStringLiteral("Impossible de lire « blob.rtf »"));

    // Garbage after a valid start, and a file cut in the middle: no crash, text kept or a clean refusal.
    for (const QByteArray& contenu : {"{\\rtf1 " + bruit, enTete + "Coupe au mil{\\b ieu \\u82"}) {
        const QString source = d.ecrire(QStringLiteral("bizarre.rtf"), contenu);
        const Conversions::Resultat r = Conversions::convertir({source}, QStringLiteral("txt"), {});
        EXPECT_EQ(r.crees.size() + r.erreurs.size(), 1);
        for (const QString& e : r.erreurs)
            EXPECT_EQ(e, QStringLiteral("Impossible de lire « bizarre.rtf »"));
        for (const QString& c : r.crees)
            QFile::remove(c);
    }
    EXPECT_EQ(texteDe(enTete + "Coupe au mil{\\b ieu"), QStringLiteral("Coupe au milieu"));
}

// A .doc that is RTF inside (old word processors did that) reads as RTF.
TEST(RtfLecture, ReconnuParSonContenu)
{
    Dossier d;
    const QString source = d.ecrire(QStringLiteral("ancien.doc"), enTete + "Vraiment du RTF\\par}");
    EXPECT_EQ(lire(convertirSeul(source, QStringLiteral("txt"))), QByteArray("Vraiment du RTF"));
}
