// The catalogue's page count: bounded in time and memory, whatever the document claims.

#include "conversions/pdf/pdf_fabrique.h"
#include "commun/Echantillons.h"

#include "conversions/Catalogue.h"
#include "conversions/Chemins.h"
#include "conversions/pdf/PdfCompte.h"

#include <cstdio>

using namespace essais;

namespace {

bool offreSeparer(const QString& pdf)
{
    for (const Conversions::Petale& p : Conversions::petales({pdf}))
        if (p.id == QLatin1String("separer"))
            return true;
    return false;
}

// Eight million entries: qpdf alone builds a table of hundreds of megabytes and finds the
// three pages; the count stops at its memory bound and offers no « Séparer ».
TEST(PdfCompte, UneTableDeMillionsDEntreesPasseLaBorneDeMemoire)
{
    Dossier d;
    const QString source = Echantillons::pdfTableGeante(d.chemin("millions.pdf"), 8'000'000);
    ASSERT_LT(QFileInfo(source).size(), 100 * 1024);
    QString qpdf;
    ASSERT_EQ(executer("qpdf", {"--show-npages", source}, &qpdf), 0) << qpdf.toStdString();
    ASSERT_EQ(qpdf.trimmed(), "3");
    EXPECT_EQ(Conversions::compterPages(source), 0);
    EXPECT_FALSE(offreSeparer(source));
    // The same table at its real size is counted.
    const QString juste = Echantillons::pdfTableGeante(d.chemin("juste.pdf"), 7);
    EXPECT_EQ(Conversions::compterPages(juste), 3);
    EXPECT_TRUE(offreSeparer(juste));
}

// A repair that takes longer than the count's time gives nothing.
TEST(PdfCompte, UneReparationTropLonguePasseLaBorneDeTemps)
{
    Dossier d;
    const QString source = Echantillons::pdfTableCassee(d.chemin("long.pdf"), 4 << 20);
    EXPECT_EQ(Conversions::compterPages(source), 3);
    EXPECT_EQ(Conversions::compterPages(source, std::chrono::milliseconds(50)), 0);
}

// The count reaches the file by its bytes: a Latin-1 name is no UTF-8 argument for qpdf.
TEST(PdfCompte, UnNomLatin1SeCompte)
{
    Dossier d;
    const QString trois = pdf(d.chemin("trois.pdf"), {{200, 200}, {200, 200}, {200, 200}}, {"1", "2", "3"});
    const QByteArray octets = lire(trois);
    const QString chemin = Conversions::cheminDepuisOctets(QFile::encodeName(d.racine()) + "/caf\xe9.pdf");
    FILE* sortie = std::fopen(Conversions::local(chemin).constData(), "wb");
    ASSERT_TRUE(sortie);
    ASSERT_EQ(std::fwrite(octets.constData(), 1, octets.size(), sortie), size_t(octets.size()));
    std::fclose(sortie);
    EXPECT_EQ(Conversions::compterPages(chemin), 3);
}

} // namespace
