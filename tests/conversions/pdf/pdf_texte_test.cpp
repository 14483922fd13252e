#include "conversions/pdf/pdf_fabrique.h"

using namespace essais;

namespace {

QStringList mots(const QString& texte)
{
    return texte.split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
}

TEST(PdfTexte, CoucheDeTexteCommeLaLitPdftotext)
{
    Dossier d;
    const QString source = pdf(d.chemin("notes.pdf"), {QSizeF(400, 200), QSizeF(400, 200)},
                               {"Première page, café crème", "Seconde page 42"});
    const QString txt = convertirSeul(source, "txt");
    EXPECT_EQ(txt, d.chemin("notes.txt"));
    const QString texte = QString::fromUtf8(lire(txt));
    EXPECT_EQ(mots(texte), mots(pdftotext(source)));
    EXPECT_LT(texte.indexOf("Première"), texte.indexOf("Seconde"));
}

// Pages without text, or whose text layer holds only blanks (as some scanners leave),
// are recognised page by page.
TEST(PdfTexte, UnScanEstReconnuPageParPage)
{
    Dossier d;
    QTemporaryDir ailleurs;
    const QList<QSizeF> tailles{QSizeF(300, 120), QSizeF(300, 120)};
    const QString scanne = pdf(d.chemin("scan.pdf"), tailles, {"BONJOUR", "MONDE"}, true);
    ASSERT_TRUE(pdftotext(scanne).trimmed().isEmpty());  // really no text layer
    const QString blancs = avecCoucheDeBlancs(
        pdf(ailleurs.filePath("s.pdf"), tailles, {"FACTURE", "AVOIR"}, true),
        d.chemin("blancs.pdf"));
    ASSERT_EQ(pages(blancs), 2);
    EXPECT_EQ(lire(convertirSeul(scanne, "txt")), QByteArray("BONJOUR\n\nMONDE"));
    EXPECT_EQ(lire(convertirSeul(blancs, "txt")), QByteArray("FACTURE\n\nAVOIR"));
}

// Three pages give two page breaks, even around a page without text.
TEST(PdfTexte, WordAvecUnSautParPage)
{
    Dossier d;
    const QString source = pdf(d.chemin("trois.pdf"),
                               {QSizeF(300, 200), QSizeF(300, 200), QSizeF(300, 200)},
                               {"Alpha", QString(), "Gamma"});
    const QString docx = convertirSeul(source, "docx");
    EXPECT_EQ(docx, d.chemin("trois.docx"));
    EXPECT_EQ(partie(docx, "word/document.xml").count("w:type=\"page\""), 2);
    const QString brut = docx2txt(docx);
    EXPECT_GE(brut.indexOf("Alpha"), 0);
    EXPECT_LT(brut.indexOf("Alpha"), brut.indexOf("Gamma"));
}

} // namespace
