#include "conversions/Conversions.h"

#include "commun/Dossier.h"
#include "pdf_outils.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace PdfOutils;

namespace {

QString lire(const QString& chemin)
{
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QStringList mots(const QString& texte)
{
    return texte.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
}

TEST(PdfTexte, CoucheDeTexteCommeLaLitPdftotext)
{
    Dossier d;
    const QString source = pdf(d.chemin(QStringLiteral("notes.pdf")), {QSizeF(400, 200), QSizeF(400, 200)},
                               {QStringLiteral("Première page, café crème"), QStringLiteral("Seconde page 42")});
    const QStringList crees = Conversions::convertirUn(source, QStringLiteral("txt"));
    ASSERT_EQ(crees, QStringList{d.chemin(QStringLiteral("notes.txt"))});
    const QString texte = lire(crees[0]);
    EXPECT_EQ(mots(texte), mots(PdfOutils::texte(source)));
    EXPECT_LT(texte.indexOf(QStringLiteral("Première")), texte.indexOf(QStringLiteral("Seconde")));
}

TEST(PdfTexte, UnScanEstReconnuPageParPage)
{
    Dossier d;
    const QString source = scan(d.chemin(QStringLiteral("scan.pdf")), {QStringLiteral("BONJOUR"), QStringLiteral("MONDE")});
    ASSERT_TRUE(PdfOutils::texte(source).trimmed().isEmpty());  // really no text layer
    const QStringList crees = Conversions::convertirUn(source, QStringLiteral("txt"));
    ASSERT_EQ(crees, QStringList{d.chemin(QStringLiteral("scan.txt"))});
    EXPECT_EQ(lire(crees[0]), QStringLiteral("BONJOUR\n\nMONDE"));
}

TEST(PdfTexte, UneCoucheDeBlancsCompteCommeUnScan)
{
    Dossier d;
    QTemporaryDir ailleurs;
    const QString source = avecCoucheDeBlancs(
        scan(ailleurs.filePath(QStringLiteral("s.pdf")), {QStringLiteral("FACTURE"), QStringLiteral("AVOIR")}),
        d.chemin(QStringLiteral("blancs.pdf")));
    ASSERT_EQ(pages(source), 2);
    const QStringList crees = Conversions::convertirUn(source, QStringLiteral("txt"));
    ASSERT_EQ(crees.size(), 1);
    EXPECT_EQ(lire(crees[0]), QStringLiteral("FACTURE\n\nAVOIR"));
}

// Three pages give two page breaks, even around a page without text.
TEST(PdfTexte, WordAvecUnSautParPage)
{
    Dossier d;
    const QString source = pdf(d.chemin(QStringLiteral("trois.pdf")),
                               {QSizeF(300, 200), QSizeF(300, 200), QSizeF(300, 200)},
                               {QStringLiteral("Alpha"), QString(), QStringLiteral("Gamma")});
    const QStringList crees = Conversions::convertirUn(source, QStringLiteral("docx"));
    ASSERT_EQ(crees, QStringList{d.chemin(QStringLiteral("trois.docx"))});
    QString xml;
    ASSERT_EQ(executer(QStringLiteral("unzip"), {QStringLiteral("-p"), crees[0], QStringLiteral("word/document.xml")}, &xml), 0);
    EXPECT_EQ(xml.count(QStringLiteral("w:type=\"page\"")), 2);
    QString brut;
    ASSERT_EQ(executer(QStringLiteral("docx2txt"), {crees[0], QStringLiteral("-")}, &brut), 0);
    EXPECT_LT(brut.indexOf(QStringLiteral("Alpha")), brut.indexOf(QStringLiteral("Gamma")));
    EXPECT_GE(brut.indexOf(QStringLiteral("Alpha")), 0);
    EXPECT_TRUE(xml.contains(QStringLiteral("Helvetica")));
}

} // namespace
