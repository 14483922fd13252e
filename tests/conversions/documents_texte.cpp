// Plain texts (txt, text, md) to PDF, Word and text, and the A4 layout.

#include "documents_outils.h"

#include "conversions/Documents.h"

#include <QTextBlock>
#include <QTextDocument>

#include <thread>

using namespace essaisDocuments;

namespace {

QByteArray lignesNumerotees(int n)
{
    QByteArray t;
    for (int i = 1; i <= n; ++i)
        t += "Ligne " + QByteArray::number(i) + " du long document, assez de mots pour remplir.\n";
    return t;
}

} // namespace

TEST(DocumentsTexte, PdfEnA4AvecLeTexteEtLaSourceIntacte)
{
    Dossier d;
    const QByteArray texte = "Bonjour l’été : 42 € et des œufs.\n";
    const QString source = d.ecrire(QStringLiteral("note.txt"), texte);
    const QString pdf = convertirSeul(source, QStringLiteral("pdf"));
    EXPECT_EQ(pdf, d.chemin(QStringLiteral("note.pdf")));
    const QString info = pdfinfo(pdf);
    EXPECT_TRUE(info.contains(QStringLiteral("595 x 842 pts"))) << info.toStdString();
    EXPECT_EQ(pages(pdf), 1);
    lancer(QStringLiteral("qpdf"), {QStringLiteral("--check"), pdf});
    EXPECT_TRUE(pdftotext(pdf).contains(QStringLiteral("Bonjour l’été : 42 € et des œufs.")));
    EXPECT_EQ(lire(source), texte);
    EXPECT_EQ(d.noms(), (QStringList{QStringLiteral("note.pdf"), QStringLiteral("note.txt")}));
}

TEST(DocumentsTexte, UnNomPrisDonneLeNomSuivant)
{
    Dossier d;
    const QString source = d.ecrire(QStringLiteral("a.text"), "x");
    d.ecrire(QStringLiteral("a.pdf"), "déjà là");
    EXPECT_EQ(convertirSeul(source, QStringLiteral("pdf")), d.chemin(QStringLiteral("a 2.pdf")));
    EXPECT_EQ(lire(d.chemin(QStringLiteral("a.pdf"))), QByteArray("déjà là"));
}

TEST(DocumentsTexte, TexteQuiNestPasUtf8RefuseAvecSonNomSansRienLaisser)
{
    Dossier d;
    for (const char* nom : {"latin.txt", "latin.md", "latin.text"}) {
        const QString source = d.ecrire(QString::fromLatin1(nom), QByteArray("caf\xe9 cr\xe8me\n"));
        for (const char* cible : {"pdf", "docx", "txt"}) {
            EXPECT_EQ(echec(source, QString::fromLatin1(cible)),
                      QStringLiteral("Impossible de lire « %1 »").arg(QString::fromLatin1(nom)));
        }
    }
    EXPECT_EQ(d.noms(), (QStringList{QStringLiteral("latin.md"), QStringLiteral("latin.text"),
                                     QStringLiteral("latin.txt")}));
}

TEST(DocumentsTexte, MarkdownResteDuTexteBrut)
{
    Dossier d;
    const QString source = d.ecrire(QStringLiteral("lisez.md"), "# Titre\n\n**gras** et {\\rtf1 pas du RTF}\n");
    const QString docx = convertirSeul(source, QStringLiteral("docx"));
    const QString texte = docx2txt(docx);
    // Each paragraph on its own line, the empty one kept, as another reader sees them.
    EXPECT_TRUE(texte.contains(QStringLiteral("# Titre\n\n**gras** et {\\rtf1 pas du RTF}"))) << texte.toStdString();
}

TEST(DocumentsTexte, VersTexteGardeLesLignes)
{
    Dossier d;
    const QByteArray contenu = "un\n\ndeux\ttrois\nquatre";
    const QString source = d.ecrire(QStringLiteral("brut.md"), contenu);
    EXPECT_EQ(lire(convertirSeul(source, QStringLiteral("txt"))), contenu);
}

TEST(DocumentsTexte, DocumentVideDonneUnePageBlancheEtUnWordValide)
{
    Dossier d;
    const QString source = d.ecrire(QStringLiteral("vide.txt"), "");
    const QString pdf = convertirSeul(source, QStringLiteral("pdf"));
    EXPECT_EQ(pages(pdf), 1);
    EXPECT_TRUE(encre(rendre(pdf, 1)).isNull());
    const QString docx = convertirSeul(source, QStringLiteral("docx"));
    lancer(QStringLiteral("unzip"), {QStringLiteral("-tq"), docx});
    EXPECT_TRUE(pandoc(docx, QStringLiteral("docx"), QStringLiteral("plain")).trimmed().isEmpty());
}

// Pages are as many as the text needs, every line drawn inside the 64-point margins,
// nothing lost nor repeated between pages.
TEST(DocumentsTexte, LongDocumentPagineDansLesMarges)
{
    Dossier d;
    const int n = 150;
    const QString pdf = convertirSeul(d.ecrire(QStringLiteral("long.txt"), lignesNumerotees(n)),
                                      QStringLiteral("pdf"));
    const int total = pages(pdf);
    EXPECT_GE(total, 3);
    EXPECT_LE(total, 6);
    const QRect cadre(64, 64, 595 - 128, 842 - 128);
    for (int p = 1; p <= total; ++p) {
        const QImage page = rendre(pdf, p);
        ASSERT_EQ(page.size(), QSize(595, 842));
        const QRect e = encre(page);
        EXPECT_TRUE(cadre.adjusted(-1, -1, 1, 1).contains(e)) << "page " << p << " encre " << e.x() << ","
                                                                << e.y() << " " << e.width() << "x" << e.height();
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

// Lines that do not fit the 467-point frame wrap instead of running off the page.
TEST(DocumentsTexte, LongueLigneRevientALaLigne)
{
    Dossier d;
    QByteArray ligne;
    for (int i = 0; i < 60; ++i)
        ligne += "mot" + QByteArray::number(i) + " ";
    const QString pdf = convertirSeul(d.ecrire(QStringLiteral("ligne.txt"), ligne), QStringLiteral("pdf"));
    const QRect e = encre(rendre(pdf, 1));
    EXPECT_LE(e.right(), 595 - 64 + 1);
    EXPECT_GT(e.height(), 30);  // several lines
    EXPECT_TRUE(pdftotext(pdf).simplified().contains(QStringLiteral("mot58 mot59")));

    // A word longer than the frame is broken rather than cut off at the margin.
    const QString mot = convertirSeul(d.ecrire(QStringLiteral("mot.txt"), QByteArray(400, 'W')), QStringLiteral("pdf"));
    const QRect m = encre(rendre(mot, 1));
    EXPECT_LE(m.right(), 595 - 64 + 1);
    EXPECT_GT(m.height(), 30);
}

TEST(DocumentsTexte, TexteSansPoliceEnHelvetica12)
{
    Dossier d;
    const QString source = d.ecrire(QStringLiteral("p.txt"), "Sans police");
    const auto document = Conversions::lireDocument(source);
    const QTextCharFormat f = document->begin().begin().fragment().charFormat();
    EXPECT_EQ(f.fontFamilies().toStringList(), QStringList{QStringLiteral("Helvetica")});
    EXPECT_EQ(f.fontPointSize(), 12);

    const QString xml = partie(convertirSeul(source, QStringLiteral("docx")), QStringLiteral("word/document.xml"));
    EXPECT_TRUE(xml.contains(QStringLiteral("w:ascii=\"Helvetica\""))) << xml.toStdString();
    EXPECT_TRUE(xml.contains(QStringLiteral("<w:sz w:val=\"24\"/>"))) << xml.toStdString();

    // In the PDF, the font the system gives for Helvetica is embedded.
    const QString polices = lancer(QStringLiteral("pdffonts"), {convertirSeul(source, QStringLiteral("pdf"))});
    // Any of the metric twins that fontconfig may give.
    EXPECT_TRUE(polices.contains(QStringLiteral("LiberationSans")) || polices.contains(QStringLiteral("NimbusSans"))
                || polices.contains(QStringLiteral("Helvetica")))
        << polices.toStdString();
}

TEST(DocumentsTexte, DossierOuFichierIllisibleRefuse)
{
    Dossier d;
    EXPECT_EQ(echec(d.chemin(QStringLiteral("absent.txt")), QStringLiteral("pdf")),
              QStringLiteral("Impossible de lire « absent.txt »"));
    const QString dossier = d.creerDossier(QStringLiteral("pas un texte.txt"));
    EXPECT_EQ(echec(dossier, QStringLiteral("docx")), QStringLiteral("Impossible de lire « pas un texte.txt »"));
}

// Batches run on a worker thread: reading, layout and writing must not need the GUI thread.
TEST(DocumentsTexte, ConversionsDansUnAutreFil)
{
    Dossier d;
    const QString rtf = d.ecrire(QStringLiteral("fil.rtf"), "{\\rtf1 {\\b Dans} un fil\\par}");
    Conversions::Resultat pdf, docx;
    std::thread fil([&] {
        pdf = Conversions::convertir({rtf}, QStringLiteral("pdf"), {});
        docx = Conversions::convertir({rtf}, QStringLiteral("docx"), {});
    });
    fil.join();
    ASSERT_EQ(pdf.crees.size(), 1) << pdf.erreurs.join(QLatin1Char(' ')).toStdString();
    ASSERT_EQ(docx.crees.size(), 1) << docx.erreurs.join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(pdftotext(pdf.crees[0]).contains(QStringLiteral("Dans un fil")));
    EXPECT_TRUE(docx2txt(docx.crees[0]).contains(QStringLiteral("Dans un fil")));
}
