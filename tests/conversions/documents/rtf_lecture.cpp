// RTF and RTFD: formatting, escapes, code pages, destinations, hostile input.

#include "conversions/essais_outils.h"

#include "conversions/documents/Documents.h"

#include <QRandomGenerator>

using namespace essais;

namespace {

const QByteArray enTete =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Helvetica;}"
    "{\\f1\\fmodern\\fcharset0 Courier New{\\*\\falt Courier};}}"
    "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
    "{\\*\\generator Essai;}{\\info{\\title Titre cach\\'e9}{\\author Quelqu'un}}\n";

QString texteDe(const QByteArray& rtf, const QString& nom = "t.rtf")
{
    Dossier d;
    return QString::fromUtf8(lire(convertirSeul(d.ecrire(nom, rtf), "txt")));
}

} // namespace

TEST(RtfLecture, GrasItaliqueSouligneTaillesPolicesCouleurs)
{
    Dossier d;
    const auto doc = Conversions::lireDocument(d.ecrire("mise.rtf",
        enTete + "\\f0\\fs24 Normal {\\b gras} {\\i italique} {\\ul souligne\\ulnone  plus} "
                 "{\\fs40 grand} {\\f1 machine} {\\cf1 rouge} {\\cf2\\b\\i bleu}\\b0  fin\\par}"));
    EXPECT_EQ(doc->toPlainText(), "Normal gras italique souligne plus grand machine rouge bleu fin");
    verifierFormes(*doc, {{.mot = "Normal"}, {.mot = "gras", .gras = true}, {.mot = "italique", .italique = true},
                          {.mot = "souligne", .souligne = true}, {.mot = "plus"}, {.mot = "grand", .taille = 20},
                          {.mot = "machine", .police = "Courier New"}, {.mot = "rouge", .couleur = QColor(255, 0, 0)},
                          {.mot = "bleu", .gras = true, .italique = true, .couleur = QColor(0, 0, 255)},
                          {.mot = "fin"}});
    // A font's name in the code page of its character set.
    const auto polices = Conversions::lireDocument(d.ecrire("p.rtf",
        "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset0 Caf\\'e9;}{\\f1 Autre;}}\\f0 x\\f1 y}"));
    verifierFormes(*polices, {{.mot = "x", .police = "Café"}, {.mot = "y", .police = "Autre"}});
}

TEST(RtfLecture, TexteLu)
{
    const QList<std::pair<QByteArray, QString>> cas{
        {enTete + "caf\\'e9 \\u8364? \\uc2\\u8212\\'97\\'97 fin\\uc1 "
                  "\\{a\\}\\\\ b\\~c \\emdash\\endash\\lquote x\\rquote\\ldblquote y\\rdblquote\\par}",
         "café € — fin{a}\\ b\u00a0c —–‘x’“y”"},
        // \'hh in the document's code page, in a font's own character set, double-byte.
        {"{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8\\'e2\\'e5\\'f2}", "Привет"},
        {"{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset161 Arial Greek;}}\\f0 \\'e9 \\f1 \\'e1\\'e2}",
         "é αβ"},
        {"{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset128 \\'82\\'6c\\'82\\'72 Mincho;}}\\f0 x}", "x"},
        {"{\\rtf1\\ansi\\ansicpg932 \\'82\\'a0\\'82\\'a2}", "あい"},
        {"{\\rtf1\\mac \\'8e}", "é"},
        // Outside the basic plane: two \u; the same text in the code page and in Unicode: once.
        {"{\\rtf1 \\u-10179?\\u-8704?}", "\U0001F600"},
        {"{\\rtf1 a{\\upr{caf\\'e9}{\\*\\ud{caf\\u233?}}}b}", "acaféb"},
        // Unknown destinations, styles, fields, pictures, binary data and headers skipped.
        {enTete + "A{\\*\\motinconnu secret}{\\stylesheet{\\s1 Style;}}{\\field{\\*\\fldinst HYPERLINK \"x\"}"
                  "{\\fldrslt lien}}{\\pict\\pngblip 89504e47}{\\*\\blob\\bin5 }{\\}}}B{\\header en-tete}C\\par}",
         "AlienBC"},
        // Hidden text stays hidden; table cells stay apart.
        {enTete + "vu {\\v cach\\'e9}\\v  aussi\\v0  revu\\par}", "vu  revu"},
        {enTete + "\\trowd\\cellx1000\\cellx2000 a\\cell b\\cell\\row c\\par}", "a\tb\t\nc"},
        // Reasonable nesting, and a file cut short, still read.
        {"{\\rtf1 " + QByteArray(200, '{') + "x" + QByteArray(200, '}') + "}", "x"},
        {enTete + "Coupe au mil{\\b ieu", "Coupe au milieu"}};
    for (const auto& [rtf, attendu] : cas)
        EXPECT_EQ(texteDe(rtf), attendu) << rtf.right(80).toStdString();
    // A .doc that is RTF inside (old word processors did that) reads as RTF.
    EXPECT_EQ(texteDe(enTete + "Vraiment du RTF\\par}", "ancien.doc"), "Vraiment du RTF");
}

namespace {

// `texte` in Apple's code page `encodage`, as Perl's Encode writes it, each byte as \'hh.
QByteArray octetsMac(const QString& encodage, const QString& texte)
{
    QString hexa;
    EXPECT_EQ(executer("perl", {"-MEncode", "-e", "print unpack('H*', encode($ARGV[0], decode('UTF-8', $ARGV[1]), 1))",
                                encodage, texte}, &hexa), 0) << encodage.toStdString();
    QByteArray rtf;
    for (qsizetype i = 0; i + 1 < hexa.size(); i += 2)
        rtf += "\\'" + hexa.mid(i, 2).toLatin1();
    return rtf;
}

} // namespace

// Apple's code pages, named by the document (\mac\ansicpgN) or by a font's character set.
TEST(RtfLecture, PagesDeCodesMac)
{
    const struct { int page; int jeu; const char* encodage; const char* texte; } pages[] = {
        {10000, 77, "MacRoman", "Café à 5 € — « oui »"},
        {10001, 78, "MacJapanese", "お読みください"},
        {10002, 81, "MacChineseTrad", "請閱讀說明"},
        {10003, 79, "MacKorean", "읽어 주세요"},
        {10004, 84, "MacArabic", "اقرأ هذا"},
        {10005, 83, "MacHebrew", "קרא אותי"},
        {10006, 85, "MacGreek", "Διαβάστε με"},
        {10007, 89, "MacCyrillic", "Прочтите меня"},
        {10008, 80, "MacChineseSimp", "请阅读说明"},
        {10010, 0, "MacRomanian", "Citiți și așa"},
        {10021, 87, "MacThai", "อ่านฉัน"},
        {10029, 88, "MacCentralEurRoman", "Přečtěte si mě"},
        {10079, 0, "MacIcelandic", "Þú lest það"},
        {10081, 86, "MacTurkish", "Lütfen okuyun ğış"},
        {10082, 0, "MacCroatian", "Pročitajte ćđž"},
    };
    for (const auto& p : pages) {
        SCOPED_TRACE(p.encodage);
        const QString texte = QString::fromUtf8(p.texte);
        const QByteArray octets = octetsMac(p.encodage, texte);
        EXPECT_EQ(texteDe("{\\rtf1\\mac\\ansicpg" + QByteArray::number(p.page) + " " + octets + "}"), texte);
        if (p.jeu) {
            EXPECT_EQ(texteDe("{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fcharset" + QByteArray::number(p.jeu)
                              + " Police;}}\\f0 " + octets + "}"),
                      texte);
        }
    }
    // As a Mac writes a Japanese note, through every road and back through readers not ours.
    Dossier d;
    const QString japonais = QString::fromUtf8("お読みください");
    const QString rtf = d.ecrire("lisez.rtf", "{\\rtf1\\mac\\ansicpg10001\\cocoartf2761\n"
                                              "{\\fonttbl\\f0\\fnil\\fcharset78 HiraginoSans-W3;}\n"
                                              "\\f0\\fs24 " + octetsMac("MacJapanese", japonais) + "}");
    EXPECT_EQ(QString::fromUtf8(lire(convertirSeul(rtf, "txt"))), japonais);
    EXPECT_TRUE(pdftotext(convertirSeul(rtf, "pdf")).contains(japonais));
    EXPECT_TRUE(docx2txt(convertirSeul(rtf, "docx")).contains(japonais));
}

namespace {

// Each byte of `hexa` ("a0d6") as \'hh.
QByteArray echappes(const QByteArray& hexa)
{
    QByteArray rtf;
    for (qsizetype i = 0; i + 1 < hexa.size(); i += 2)
        rtf += "\\'" + hexa.mid(i, 2);
    return rtf;
}

// `hexa` as Perl's Encode reads it in Apple's code page `encodage`, Apple's rendering hints left out.
QString selonPerl(const QString& encodage, const QByteArray& hexa)
{
    QString texte;
    EXPECT_EQ(executer("perl", {"-MEncode", "-e", "print encode('UTF-8', decode($ARGV[0], pack('H*', $ARGV[1])))",
                                encodage, QString::fromLatin1(hexa)}, &texte), 0);
    return texte.remove(QRegularExpression(QStringLiteral("[\\x{F870}-\\x{F87F}]")));
}

} // namespace

// Apple's single bytes in its Asian pages stand alone wherever a character starts; Korean
// pairs that iconv swallows as it refuses them end the text without reading past it.
TEST(RtfLecture, PagesAsiatiquesOctetParOctet)
{
    const struct { const char* page; const char* encodage; QByteArray hexa; const char* attendu; } cas[] = {
        {"\\mac\\ansicpg10008", "MacChineseSimp", "41a0d6d0cec442", "A\u00a0中文B"},
        {"\\mac\\ansicpg10008", "MacChineseSimp", "808182fdfeffd6fe", "ü\uf880\uf881©™…筑"},
        {"\\mac\\ansicpg10003", "MacKorean", "83c7d1b1b9", "©한국"},
        {"\\mac\\ansicpg10003", "MacKorean", "b0a1ff8081848590", "가…\u00a0₩＿��"},
        {"\\mac\\ansicpg10003", "MacKorean", "b083", "�©"},
        {"\\mac\\ansicpg10002", "MacChineseTrad", "80a4a4a4fd85", "\\中王�"},
        {"\\mac\\ansicpg10001", "MacJapanese", "82a893c782dd", "お読み"},
        {"\\ansi\\ansicpg949", nullptr, "b0a1a2e8", "가�"},
        {"\\ansi\\ansicpg949", nullptr, "a2e842a2e6", "�B€"},
        {"\\ansi\\ansicpg949", nullptr, "a2", "�"},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.hexa.toStdString());
        const QString attendu = QString::fromUtf8(c.attendu);
        if (c.encodage) {
            EXPECT_EQ(selonPerl(c.encodage, c.hexa), attendu);
        }
        EXPECT_EQ(texteDe("{\\rtf1" + QByteArray(c.page) + " " + echappes(c.hexa) + "}"), attendu);
    }
    // A character whose halves sit in two groups is one character; a half alone is none.
    EXPECT_EQ(texteDe("{\\rtf1\\ansi\\ansicpg932 {\\'82}{\\'a8\\'93}{\\'c7}\\'82\\'dd}"), "お読み");
    EXPECT_EQ(texteDe("{\\rtf1\\ansi\\ansicpg932 {\\'82}x{\\'82}\\u12354?}"), "\uFFFDx\uFFFDあ");
    // The Korean text that ended the application, by its font's character set, on every road.
    Dossier d;
    for (const QByteArray jeu : {"129", "79"}) {
        const QString source = d.ecrire("coree" + jeu + ".rtf", "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset" + jeu
                                                                    + " Gulim;}}\\f0 \\'c7\\'d1 \\'a2\\'e8}");
        EXPECT_TRUE(lire(convertirSeul(source, "txt")).startsWith("한 "));
        EXPECT_TRUE(pdftotext(convertirSeul(source, "pdf")).contains(QStringLiteral("한")));
        EXPECT_TRUE(docx2txt(convertirSeul(source, "docx")).contains(QStringLiteral("한")));
    }
}

TEST(RtfLecture, ParagraphesLignesEtSautsDePage)
{
    Dossier d;
    const QString source = d.ecrire("pages.rtf",
        enTete + "Premier\\par Second\\line suite\\tab fin\\page Troisieme\\par\\par}");
    const auto doc = Conversions::lireDocument(source);
    EXPECT_EQ(doc->blockCount(), 3);
    EXPECT_EQ(doc->toPlainText(), "Premier\nSecond\nsuite\tfin\nTroisieme");
    const QString pdf = convertirSeul(source, "pdf");
    EXPECT_EQ(pages(pdf), 2);
    EXPECT_TRUE(pdftotext(pdf, 1).contains("Second"));
    EXPECT_FALSE(pdftotext(pdf, 1).contains("Troisieme"));
    EXPECT_TRUE(pdftotext(pdf, 2).contains("Troisieme"));
}

TEST(RtfLecture, CouleursPeintesDansLePdf)
{
    Dossier d;
    const QImage page = rendre(convertirSeul(d.ecrire("rouge.rtf", enTete + "{\\fs96\\cf1 MMMM}\\par}"), "pdf"), 1);
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
    d.ecrire("lettre.rtfd/TXT.rtf", enTete + "Bonjour {\\b du paquet}\\par}");
    d.ecrire("lettre.rtfd/image.png", "pas lu");
    const QString txt = convertirSeul(d.chemin("lettre.rtfd"), "txt");
    EXPECT_EQ(txt, d.chemin("lettre.txt"));
    EXPECT_EQ(lire(txt), QByteArray("Bonjour du paquet"));
    echoue(d, {d.creerDossier("vide.rtfd")}, "pdf", {illisible("vide.rtfd")});
}

// Deep nesting, noise, garbage after a valid start, a file cut mid-escape: no crash, a
// clean refusal or the text kept, nothing left behind on refusal.
TEST(RtfLecture, HostileSansPlanter)
{
    Dossier d;
    const QString profond = d.ecrire("profond.rtf",
                                     "{\\rtf1 " + QByteArray(100000, '{') + "x" + QByteArray(100000, '}') + "}");
    QByteArray bruit(64 * 1024, 0);
    QRandomGenerator alea(7);
    for (auto& c : bruit)
        c = static_cast<char>(alea.bounded(256));
    echoue(d, {profond, d.ecrire("blob.rtf", bruit)}, "docx", {illisible("profond.rtf"), illisible("blob.rtf")});

    for (const QByteArray& contenu : {"{\\rtf1 " + bruit, enTete + "Coupe au mil{\\b ieu \\u82"}) {
        const QString source = d.ecrire("bizarre.rtf", contenu);
        const Conversions::Resultat r = Conversions::convertir({source}, "txt", {});
        EXPECT_EQ(r.crees.size() + r.erreurs.size(), 1);
        for (const QString& e : r.erreurs)
            EXPECT_EQ(e, illisible("bizarre.rtf"));
        for (const QString& c : r.crees)
            QFile::remove(c);
    }
}

// A closing brace with no group left to close (word processors write one now and then) closes
// nothing: the text after it reaches every output.
TEST(RtfLecture, AccoladeEnTropNeFermeRien)
{
    Dossier d;
    const QString source = d.ecrire("accolade.rtf", enTete + "Premier {\\b gras}.\\par}} Test line.\\par}");
    EXPECT_EQ(Conversions::lireDocument(source)->toPlainText(), "Premier gras.\n Test line.");
    verifierFormes(*Conversions::lireDocument(source), {{.mot = "gras", .gras = true}, {.mot = "Test"}});
    EXPECT_EQ(texteDe(enTete + "Premier.\\par}} Test line.\\par}"), "Premier.\n Test line.");
    const QString pdf = convertirSeul(source, "pdf");
    EXPECT_TRUE(pdftotext(pdf).contains("Test line.")) << pdftotext(pdf).toStdString();
    EXPECT_TRUE(docx2txt(convertirSeul(source, "docx")).contains("Test line."));
    // Several in a row, and text after the document's last brace, are kept too.
    EXPECT_EQ(texteDe("{\\rtf1 a}}}} b} c"), "a b c");
}
