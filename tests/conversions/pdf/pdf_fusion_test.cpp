#include "commun/Echantillons.h"
#include "conversions/pdf/pdf_fabrique.h"

#include <sys/stat.h>

using namespace essais;

namespace {

QString troisPages(const Dossier& d, const QString& nom)
{
    return pdf(d.chemin(nom), {QSizeF(300, 200), QSizeF(300, 200), QSizeF(200, 300)}, {"Un", "Deux", "Trois"});
}

// Pictures and PDFs in the file manager's order of names (2, 9, 10), a page per picture
// at one point per pixel, the first name giving the merged file's.
TEST(PdfFusion, ImagesEtPdfDansLOrdreDesNomsAvecLaProgression)
{
    Dossier d;
    const QStringList sources{troisPages(d, "image 10.pdf"), Echantillons::image(d.chemin("image 9.jpg"), 16, 16),
                              Echantillons::image(d.chemin("image 2.png"), 64, 48)};
    Releve r;
    const auto res = Conversions::convertir(sources, "pdf", r.rappel());
    ASSERT_TRUE(res.erreurs.isEmpty()) << res.erreurs.join('\n').toStdString();
    ASSERT_EQ(res.crees, QStringList{d.chemin("image 2 et 2 autres.pdf")});
    const QString sortie = res.crees[0];
    EXPECT_TRUE(intact(sortie));
    EXPECT_EQ(pages(sortie), 5);
    EXPECT_EQ(taillePage(sortie, 1), QSizeF(64, 48));
    EXPECT_EQ(taillePage(sortie, 2), QSizeF(16, 16));
    EXPECT_EQ(pdftotext(sortie, 3).trimmed() + pdftotext(sortie, 5).trimmed(), "UnTrois");
    ASSERT_GE(r.valeurs.size(), 2u);
    EXPECT_LT(r.valeurs[0], 1.0);
    EXPECT_TRUE(r.enOrdre());
    EXPECT_DOUBLE_EQ(r.valeurs.back(), 1.0);
    EXPECT_EQ(d.noms().size(), 4);  // no temporary left behind
}

// The newest part sets the version the merged file declares; the sources stay as they were.
TEST(PdfFusion, VersionLaPlusRecenteEtSourcesIntactes)
{
    Dossier d;
    QTemporaryDir ailleurs;
    const QString x = d.chemin("x.pdf");
    sortieDe("qpdf", {"--object-streams=generate", "--force-version=1.7",
                      pdf(ailleurs.filePath("x.pdf"), {QSizeF(300, 200)}, {"X"}), x});
    const QString y = Echantillons::pdf(d.chemin("y.pdf"), 2);
    const QByteArray avant = lire(x);
    const QString sortie = convertirSeul({y, x}, "pdf");
    EXPECT_EQ(pages(sortie), 3);
    EXPECT_EQ(infoPdf(sortie, "PDF version"), "1.7");
    EXPECT_TRUE(intact(sortie));
    EXPECT_EQ(lire(x), avant);
}

// Only an owner password: the pages open, and the result is no longer locked.
TEST(PdfFusion, UnMotDePasseDuSeulProprietaireNEmpechePas)
{
    Dossier d;
    QTemporaryDir ailleurs;
    const QString b = chiffrer(Echantillons::pdf(ailleurs.filePath("s.pdf"), 2), d.chemin("b.pdf"), QString(), "o");
    ASSERT_EQ(infoPdf(b, "Encrypted").left(3), "yes");
    const QString sortie = convertirSeul({troisPages(d, "a.pdf"), b}, "pdf");
    EXPECT_EQ(pages(sortie), 5);
    EXPECT_EQ(infoPdf(sortie, "Encrypted"), "no");
    EXPECT_EQ(pdftotext(sortie, 5).trimmed(), "Page 2");
    EXPECT_TRUE(intact(sortie));
}

// Each copy of a form keeps its own field, with its value, even split again.
TEST(PdfFusion, LesFormulairesRestentDesFormulaires)
{
    Dossier d;
    const QString a = formulaire(d.chemin("a.pdf"));
    ASSERT_EQ(champsDeFormulaire(a), QStringList{"nom=u:Dupont"});
    const QString sortie = convertirSeul({a, formulaire(d.chemin("b.pdf"))}, "pdf");
    EXPECT_TRUE(intact(sortie));
    const QStringList champs = champsDeFormulaire(sortie);
    ASSERT_EQ(champs.size(), 2);
    EXPECT_NE(champs[0], champs[1]);  // two fields, not one shared
    for (const QString& c : champs)
        EXPECT_TRUE(c.endsWith(QLatin1String("=u:Dupont"))) << c.toStdString();
    const QStringList pages = Conversions::convertirUn(sortie, "separer");
    ASSERT_EQ(pages.size(), 2);
    EXPECT_EQ(champsDeFormulaire(pages[1]).size(), 1);
}

// Files that are no PDF, a PDF without any page, a locked one, pipes (never waited on):
// named, and nothing written.
TEST(PdfFusion, FichiersIllisiblesNommes)
{
    Dossier d;
    QTemporaryDir ailleurs;
    const QString secret = ailleurs.filePath("secret.pdf");
    chiffrer(Echantillons::pdf(ailleurs.filePath("s.pdf"), 2), secret, "ouvrir", "maître");
    const QList<std::pair<QString, QByteArray>> cas{{"bruit.pdf", QByteArray(5000, '\x07')},
                                                    {"vide.pdf", lire(sansPage(ailleurs.filePath("vide.pdf")))},
                                                    {"texte.pdf", "%PDF-1.4\nrien d’autre\n"},
                                                    {"image.png", "\x89PNG\r\n\x1a\n tronquée"},
                                                    {"secret.pdf", lire(secret)},
                                                    {"tube.pdf", {}},
                                                    {"tube.png", {}}};
    const QString bon = troisPages(d, "a.pdf");
    for (const auto& [nom, contenu] : cas) {
        SCOPED_TRACE(nom.toStdString());
        const QString chemin = d.chemin(nom);
        if (nom.startsWith(QLatin1String("tube")))
            ASSERT_EQ(::mkfifo(QFile::encodeName(chemin).constData(), 0600), 0);
        else
            d.ecrire(nom, contenu);
        echoue(d, {bon, chemin}, "pdf",
               {nom == "secret.pdf" ? "« secret.pdf » est protégé par un mot de passe" : illisible(nom)});
        QFile::remove(chemin);
    }
}

} // namespace
