#include "pdf_outils.h"

#include <QRegularExpression>
#include <QTemporaryDir>

using namespace essais;
using namespace PdfOutils;

namespace {

QStringList mots(const QString& texte)
{
    return texte.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
}

TEST(PdfTexte, CoucheDeTexteCommeLaLitPdftotext)
{
    Dossier d;
    const QString source = pdf(d.chemin(QStringLiteral("notes.pdf")), {QSizeF(400, 200), QSizeF(400, 200)},
                               {QStringLiteral("Première page, café crème"), QStringLiteral("Seconde page 42")});
    const QString txt = convertirSeul(source, QStringLiteral("txt"));
    EXPECT_EQ(txt, d.chemin(QStringLiteral("notes.txt")));
    const QString texte = QString::fromUtf8(lire(txt));
    EXPECT_EQ(mots(texte), mots(pdftotext(source)));
    EXPECT_LT(texte.indexOf(QStringLiteral("Première")), texte.indexOf(QStringLiteral("Seconde")));
}

// Pages without text, or whose text layer holds only blanks (as some scanners leave),
// are recognised page by page.
TEST(PdfTexte, UnScanEstReconnuPageParPage)
{
    Dossier d;
    QTemporaryDir ailleurs;
    const QString scanne = scan(d.chemin(QStringLiteral("scan.pdf")), {QStringLiteral("BONJOUR"), QStringLiteral("MONDE")});
    ASSERT_TRUE(pdftotext(scanne).trimmed().isEmpty());  // really no text layer
    const QString blancs = avecCoucheDeBlancs(
        scan(ailleurs.filePath(QStringLiteral("s.pdf")), {QStringLiteral("FACTURE"), QStringLiteral("AVOIR")}),
        d.chemin(QStringLiteral("blancs.pdf")));
    ASSERT_EQ(pages(blancs), 2);
    EXPECT_EQ(lire(convertirSeul(scanne, QStringLiteral("txt"))), QByteArray("BONJOUR\n\nMONDE"));
    EXPECT_EQ(lire(convertirSeul(blancs, QStringLiteral("txt"))), QByteArray("FACTURE\n\nAVOIR"));
}

// Three pages give two page breaks, even around a page without text.
TEST(PdfTexte, WordAvecUnSautParPage)
{
    Dossier d;
    const QString source = pdf(d.chemin(QStringLiteral("trois.pdf")),
                               {QSizeF(300, 200), QSizeF(300, 200), QSizeF(300, 200)},
                               {QStringLiteral("Alpha"), QString(), QStringLiteral("Gamma")});
    const QString docx = convertirSeul(source, QStringLiteral("docx"));
    EXPECT_EQ(docx, d.chemin(QStringLiteral("trois.docx")));
    EXPECT_EQ(partie(docx, QStringLiteral("word/document.xml")).count(QStringLiteral("w:type=\"page\"")), 2);
    const QString brut = docx2txt(docx);
    EXPECT_GE(brut.indexOf(QStringLiteral("Alpha")), 0);
    EXPECT_LT(brut.indexOf(QStringLiteral("Alpha")), brut.indexOf(QStringLiteral("Gamma")));
}

} // namespace
