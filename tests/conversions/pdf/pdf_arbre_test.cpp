// PDFs whose page tree is broken (missing, looping) still give their pages.

#include "conversions/pdf/pdf_fabrique.h"
#include "conversions/Catalogue.h"


using namespace essais;

namespace {

// A PDF of `n` pages showing "Page 1"…, object by object: 1 the catalogue, whose /Pages
// is `racine`, 2 the page tree, 3 the font, then the pages and their contents. The tree's
// kids are the pages followed by `enPlus`.
QString pagesALaMain(const Dossier& d, const QString& nom, int n, const QByteArray& racine,
                     const QByteArray& enPlus = {})
{
    QList<QByteArray> objets{"<< /Type /Catalog /Pages " + racine + " >>", {},
                             "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"};
    QByteArray enfants;
    for (int i = 1; i <= n; ++i) {
        const QByteArray page = QByteArray::number(3 + i), contenu = QByteArray::number(3 + n + i);
        enfants += page + " 0 R ";
        objets << "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 " + QByteArray::number(150 + 10 * i)
                      + "] /Contents " + contenu + " 0 R /Resources << /Font << /F1 3 0 R >> >> >>";
    }
    for (int i = 1; i <= n; ++i) {
        const QByteArray flux = "BT /F1 24 Tf 20 60 Td (Page " + QByteArray::number(i) + ") Tj ET";
        objets << "<< /Length " + QByteArray::number(flux.size()) + " >>\nstream\n" + flux + "\nendstream";
    }
    objets[1] = "<< /Type /Pages /Kids [" + enfants + enPlus + "] /Count " + QByteArray::number(n) + " >>";
    return aLaMain(d.chemin(nom), objets);
}

QStringList texteParPage(const QString& txt)
{
    QStringList pages = QString::fromUtf8(lire(txt)).split(QStringLiteral("\n\n"));
    for (QString& p : pages)
        p = p.simplified();
    return pages;
}

TEST(PdfArbre, SansArbreDePagesLesPagesSontRetrouvees)
{
    Dossier d;
    const QString source = pagesALaMain(d, "nul.pdf", 4, "null");
    QString qpdf;
    ASSERT_NE(executer("qpdf", {"--show-npages", source}, &qpdf), 0) << qpdf.toStdString();  // qpdf alone fails
    // The wheel's quick count finds nothing to count and offers no « Séparer ».
    EXPECT_EQ(Conversions::nombreDePages(source), 0);

    const QStringList images = Conversions::convertirUn(source, "png");
    ASSERT_EQ(images.size(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(images[i], d.chemin(QStringLiteral("nul page %1.png").arg(i + 1)));
        EXPECT_EQ(tailleImage(images[i]), QSize(200 * 300 / 72, (150 + 10 * (i + 1)) * 300 / 72)) << i;
        EXPECT_FALSE(encre(decoder(images[i])).isEmpty()) << i;  // the page's text was drawn
    }
    EXPECT_EQ(texteParPage(convertirSeul(source, "txt")), QStringList({"Page 1", "Page 2", "Page 3", "Page 4"}));
    const QStringList separees = Conversions::convertirUn(source, "separer");
    ASSERT_EQ(separees.size(), 4);
    EXPECT_TRUE(intact(separees[3]));
    EXPECT_EQ(pdftotext(separees[3]).simplified(), "Page 4");
}

TEST(PdfArbre, UnArbreQuiBoucleDonneSesPages)
{
    Dossier d;
    // The root's kids end with the root itself.
    const QString source = pagesALaMain(d, "boucle.pdf", 2, "2 0 R", "2 0 R");
    QString sortie;
    executer("qpdf", {"--check", source}, &sortie);
    ASSERT_TRUE(sortie.contains("Loop detected")) << sortie.toStdString();
    EXPECT_EQ(Conversions::nombreDePages(source), 2);  // the count the tree declares

    const QStringList images = Conversions::convertirUn(source, "jpg");
    ASSERT_EQ(images.size(), 2);
    EXPECT_EQ(tailleImage(images[1]), QSize(200 * 300 / 72, 170 * 300 / 72));
    EXPECT_EQ(texteParPage(convertirSeul(source, "txt")), QStringList({"Page 1", "Page 2"}));
}

// A broken cross-reference table: the wheel's count rebuilds it as the conversions do, so the
// document is offered « Séparer », and the conversions find every page.
TEST(PdfArbre, UneTableCasseeSeCompteEnLaReparant)
{
    Dossier d;
    const QString source = pagesALaMain(d, "casse.pdf", 3, "2 0 R");
    QByteArray octets = lire(source);
    const qsizetype table = octets.indexOf("\nxref\n");
    ASSERT_GT(table, 0);
    octets.replace(table + 1, 4, "xraf");
    QFile f(source);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(octets) == octets.size());
    f.close();

    EXPECT_EQ(Conversions::nombreDePages(source), 3);
    EXPECT_TRUE(Conversions::petales({source}).contains(Conversions::Petale{
        "separer", "Séparer", "square.split.2x1", QStringLiteral("Une page par PDF")}));
    const QStringList separees = Conversions::convertirUn(source, "separer");
    ASSERT_EQ(separees.size(), 3);
    EXPECT_EQ(pdftotext(separees[2]).simplified(), "Page 3");
}

// A file that holds no page object at all stays unreadable, and says so.
TEST(PdfArbre, SansAucunePageLeFichierResteIllisible)
{
    Dossier d;
    const QString source = aLaMain(d.chemin("vide.pdf"), {"<< /Type /Catalog /Pages null >>"});
    EXPECT_EQ(Conversions::nombreDePages(source), 0);
    echoue(d, {source}, "png", {illisible("vide.pdf")});
}

} // namespace
