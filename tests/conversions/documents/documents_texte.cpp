// Plain texts (txt, text, md) to PDF, Word and text, and the A4 layout.

#include "conversions/essais_outils.h"

#include <thread>

using namespace essais;

// A4, the text whole, Helvetica 12 where no font is given (in the PDF, the system's Helvetica or
// one of its metric twins, embedded), a taken name skipped, the source untouched.
TEST(DocumentsTexte, PdfEnA4AvecLeTexteEtLaSourceIntacte)
{
    Dossier d;
    const QByteArray texte = "Bonjour l’été : 42 € et des œufs.\n";
    const QString source = d.ecrire("note.txt", texte);
    const QString pris = d.ecrire("note.pdf", "déjà là");
    const QString pdf = convertirSeul(source, "pdf");
    EXPECT_EQ(pdf, d.chemin("note 2.pdf"));
    EXPECT_EQ(taillePage(pdf, 1), QSizeF(595, 842));
    EXPECT_EQ(pages(pdf), 1);
    EXPECT_TRUE(intact(pdf));
    EXPECT_TRUE(pdftotext(pdf).contains("Bonjour l’été : 42 € et des œufs."));
    const QString polices = sortieDe("pdffonts", {pdf});
    EXPECT_TRUE(polices.contains(QRegularExpression("LiberationSans|NimbusSans|Helvetica"))) << polices.toStdString();
    const QString xml = partie(convertirSeul(source, "docx"), "word/document.xml");
    EXPECT_TRUE(xml.contains("w:ascii=\"Helvetica\"") && xml.contains("<w:sz w:val=\"24\"/>")) << xml.toStdString();
    EXPECT_EQ(lire(source), texte);
    EXPECT_EQ(lire(pris), QByteArray("déjà là"));
}

// Not UTF-8, absent, or a folder under a text's name: refused with its name, nothing written.
TEST(DocumentsTexte, TexteIllisibleRefuseAvecSonNomSansRienLaisser)
{
    Dossier d;
    for (const QString& nom : QStringList{"latin.txt", "latin.md", "latin.text"})
        d.ecrire(nom, QByteArray("caf\xe9 cr\xe8me\n"));
    d.creerDossier("pas un texte.txt");
    for (const QString& nom : d.noms() + QStringList{"absent.txt"}) {
        for (const QString& cible : QStringList{"pdf", "docx", "txt"})
            echoue(d, {d.chemin(nom)}, cible, {illisible(nom)});
    }
}

// Markdown is not interpreted; lines, empty ones and tabs are kept.
TEST(DocumentsTexte, MarkdownResteDuTexteBrut)
{
    Dossier d;
    const QByteArray contenu = "# Titre\n\n**gras** et {\\rtf1 pas du RTF}\tfin\nquatre";
    const QString source = d.ecrire("lisez.md", contenu);
    const QString texte = docx2txt(convertirSeul(source, "docx"));
    EXPECT_TRUE(texte.contains("# Titre\n\n**gras** et {\\rtf1 pas du RTF}")) << texte.toStdString();
    EXPECT_EQ(lire(convertirSeul(source, "txt")), contenu);
}

TEST(DocumentsTexte, DocumentVideDonneUnePageBlancheEtUnWordValide)
{
    Dossier d;
    const QString source = d.ecrire("vide.txt", "");
    const QString pdf = convertirSeul(source, "pdf");
    EXPECT_EQ(pages(pdf), 1);
    EXPECT_TRUE(encre(rendre(pdf, 1)).isNull());
    const QString docx = convertirSeul(source, "docx");
    sortieDe("unzip", {"-tq", docx});
    EXPECT_TRUE(pandoc(docx, "docx", "plain").trimmed().isEmpty());
}

// Pages are as many as the text needs, every line drawn inside the 64-point margins,
// nothing lost nor repeated between pages.
TEST(DocumentsTexte, LongDocumentPagineDansLesMarges)
{
    Dossier d;
    const int n = 150;
    QByteArray lignes;
    for (int i = 1; i <= n; ++i)
        lignes += "Ligne " + QByteArray::number(i) + " du long document, assez de mots pour remplir.\n";
    const QString pdf = convertirSeul(d.ecrire("long.txt", lignes), "pdf");
    const int total = pages(pdf);
    EXPECT_GE(total, 3);
    EXPECT_LE(total, 6);
    const QRect cadre(64, 64, 595 - 128, 842 - 128);
    for (int p = 1; p <= total; ++p) {
        SCOPED_TRACE(p);
        const QRect e = encre(rendre(pdf, p));
        EXPECT_TRUE(cadre.adjusted(-1, -1, 1, 1).contains(e))
            << e.x() << "," << e.y() << " " << e.width() << "x" << e.height();
        EXPECT_LE(e.top(), 64 + 6);
        if (p < total) {  // a full page reaches the bottom of the frame
            EXPECT_GE(e.bottom(), 842 - 64 - 24);
        }
    }
    const QString tout = pdftotext(pdf);
    int depuis = 0;
    for (int i = 1; i <= n; ++i) {
        const QString ligne = QStringLiteral("Ligne %1 du long").arg(i);
        const int ou = tout.indexOf(ligne, depuis);
        ASSERT_GE(ou, 0) << ligne.toStdString();
        EXPECT_EQ(tout.count(ligne + QLatin1Char(' ')), 1) << ligne.toStdString();
        depuis = ou;
    }
}

// Lines that do not fit the 467-point frame wrap instead of running off the page; a word
// longer than the frame is broken rather than cut off at the margin.
TEST(DocumentsTexte, LongueLigneRevientALaLigne)
{
    QByteArray phrase;
    for (int i = 0; i < 60; ++i)
        phrase += "mot" + QByteArray::number(i) + " ";
    for (const QByteArray& contenu : {phrase, QByteArray(400, 'W')}) {
        Dossier d;
        const QString pdf = convertirSeul(d.ecrire("ligne.txt", contenu), "pdf");
        const QRect e = encre(rendre(pdf, 1));
        EXPECT_LE(e.right(), 595 - 64 + 1);
        EXPECT_GT(e.height(), 30);  // several lines
        EXPECT_TRUE(pdftotext(pdf).remove(QRegularExpression("\\s")).contains(
            QString::fromLatin1(contenu).remove(QLatin1Char(' ')).right(40)));
    }
}

// Batches run on a worker thread: reading, layout and writing must not need the GUI thread.
TEST(DocumentsTexte, ConversionsDansUnAutreFil)
{
    Dossier d;
    const QString rtf = d.ecrire("fil.rtf", "{\\rtf1 {\\b Dans} un fil\\par}");
    QString pdf, docx;
    std::thread fil([&] {
        pdf = convertirSeul(rtf, "pdf");
        docx = convertirSeul(rtf, "docx");
    });
    fil.join();
    EXPECT_TRUE(pdftotext(pdf).contains("Dans un fil"));
    EXPECT_TRUE(docx2txt(docx).contains("Dans un fil"));
}
