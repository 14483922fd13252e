#include "commun/Echantillons.h"
#include "pdf_outils.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <sys/stat.h>

using namespace essais;
using namespace PdfOutils;

namespace {

const QString petale = QStringLiteral("pdf");

QString troisPages(const Dossier& d, const QString& nom)
{
    return pdf(d.chemin(nom), {QSizeF(300, 200), QSizeF(300, 200), QSizeF(200, 300)},
               {QStringLiteral("Un"), QStringLiteral("Deux"), QStringLiteral("Trois")});
}

TEST(PdfFusion, ImageEtPdfDansLOrdreDesNomsAvecLaProgression)
{
    Dossier d;
    const QString b = troisPages(d, QStringLiteral("b.pdf"));
    const QString a = Echantillons::image(d.chemin(QStringLiteral("a.png")), 64, 48);
    Releve r;
    const auto res = Conversions::convertir({b, a}, petale, r.rappel());
    ASSERT_TRUE(res.erreurs.isEmpty()) << res.erreurs.join('\n').toStdString();
    ASSERT_EQ(res.crees, QStringList{d.chemin(QStringLiteral("a et 1 autres.pdf"))});
    const QString sortie = res.crees[0];
    EXPECT_TRUE(intact(sortie));
    EXPECT_EQ(pages(sortie), 4);
    EXPECT_EQ(taillePage(sortie, 1), QSizeF(64, 48));  // the image first, one point per pixel
    EXPECT_EQ(taillePage(sortie, 4), QSizeF(200, 300));
    EXPECT_EQ(pdftotext(sortie, 2).trimmed(), QStringLiteral("Un"));
    EXPECT_EQ(pdftotext(sortie, 4).trimmed(), QStringLiteral("Trois"));
    ASSERT_GE(r.valeurs.size(), 2);
    EXPECT_LT(r.valeurs[0], 1.0);
    EXPECT_TRUE(std::is_sorted(r.valeurs.begin(), r.valeurs.end()));
    EXPECT_DOUBLE_EQ(r.valeurs.back(), 1.0);
    EXPECT_EQ(d.noms().size(), 3);  // no temporary left behind
}

TEST(PdfFusion, NomDejaPrisEtSourcesIntactes)
{
    Dossier d;
    QTemporaryDir ailleurs;
    // The newest part sets the version the merged file declares.
    const QString x = d.chemin(QStringLiteral("x.pdf"));
    sortieDe(QStringLiteral("qpdf"), {QStringLiteral("--object-streams=generate"), QStringLiteral("--force-version=1.7"),
                                      pdf(ailleurs.filePath(QStringLiteral("x.pdf")), {QSizeF(300, 200)}, {QStringLiteral("X")}),
                                      x});
    const QString y = Echantillons::pdf(d.chemin(QStringLiteral("y.pdf")), 2);
    const QString z = Echantillons::pdf(d.chemin(QStringLiteral("z.pdf")), 1);
    const QString pris = d.ecrire(QStringLiteral("x et 2 autres.pdf"), "déjà là");
    const QByteArray avant = lire(x);
    const auto res = Conversions::convertir({z, y, x}, petale, {});
    ASSERT_EQ(res.crees, QStringList{d.chemin(QStringLiteral("x et 2 autres 2.pdf"))});
    EXPECT_EQ(pages(res.crees[0]), 4);
    EXPECT_EQ(infoPdf(res.crees[0], QStringLiteral("PDF version")), QStringLiteral("1.7"));
    EXPECT_TRUE(intact(res.crees[0]));
    EXPECT_EQ(lire(x), avant);
    EXPECT_EQ(lire(pris), QByteArray("déjà là"));
}

TEST(PdfFusion, UnPdfVerrouilleEchoueSansRienLaisser)
{
    Dossier d;
    QTemporaryDir ailleurs;
    const QString clair = troisPages(d, QStringLiteral("clair.pdf"));
    const QString secret = chiffrer(Echantillons::pdf(ailleurs.filePath(QStringLiteral("s.pdf")), 2),
                                    d.chemin(QStringLiteral("secret.pdf")), QStringLiteral("ouvrir"), QStringLiteral("maître"));
    const QStringList avant = d.noms();
    const auto res = Conversions::convertir({clair, secret}, petale, {});
    EXPECT_TRUE(res.crees.isEmpty());
    EXPECT_EQ(res.erreurs, QStringList{QStringLiteral("« secret.pdf » est protégé par un mot de passe")});
    EXPECT_EQ(d.noms(), avant);
}

// Only an owner password: the pages open, and the result is no longer locked.
TEST(PdfFusion, UnMotDePasseDuSeulProprietaireNEmpechePas)
{
    Dossier d;
    QTemporaryDir ailleurs;
    const QString a = troisPages(d, QStringLiteral("a.pdf"));
    const QString b = chiffrer(Echantillons::pdf(ailleurs.filePath(QStringLiteral("s.pdf")), 2),
                               d.chemin(QStringLiteral("b.pdf")), QString(), QStringLiteral("maître"));
    ASSERT_EQ(infoPdf(b, QStringLiteral("Encrypted")).left(3), QStringLiteral("yes"));
    const auto res = Conversions::convertir({a, b}, petale, {});
    ASSERT_EQ(res.crees.size(), 1) << res.erreurs.join('\n').toStdString();
    EXPECT_EQ(pages(res.crees[0]), 5);
    EXPECT_EQ(infoPdf(res.crees[0], QStringLiteral("Encrypted")), QStringLiteral("no"));
    EXPECT_EQ(pdftotext(res.crees[0], 5).trimmed(), QStringLiteral("Page 2"));
    EXPECT_TRUE(intact(res.crees[0]));
}

// Each copy of a form keeps its own field, with its value, even split again.
TEST(PdfFusion, LesFormulairesRestentDesFormulaires)
{
    Dossier d;
    const QString a = formulaire(d.chemin(QStringLiteral("a.pdf")));
    const QString b = formulaire(d.chemin(QStringLiteral("b.pdf")));
    ASSERT_EQ(champsDeFormulaire(a), QStringList{QStringLiteral("nom=u:Dupont")});
    const auto res = Conversions::convertir({a, b}, petale, {});
    ASSERT_EQ(res.crees.size(), 1) << res.erreurs.join('\n').toStdString();
    EXPECT_TRUE(intact(res.crees[0]));
    const QStringList champs = champsDeFormulaire(res.crees[0]);
    ASSERT_EQ(champs.size(), 2);
    EXPECT_NE(champs[0], champs[1]);  // two fields, not one shared
    for (const QString& c : champs)
        EXPECT_TRUE(c.endsWith(QLatin1String("=u:Dupont"))) << c.toStdString();
    const QStringList pages = Conversions::convertirUn(res.crees[0], QStringLiteral("separer"));
    ASSERT_EQ(pages.size(), 2);
    EXPECT_EQ(champsDeFormulaire(pages[1]).size(), 1);
}

// Files that are no PDF, a PDF without any page, pipes (never waited on): named.
TEST(PdfFusion, FichiersIllisiblesNommes)
{
    Dossier d;
    QTemporaryDir ailleurs;
    const QList<std::pair<QString, QByteArray>> cas{
        {QStringLiteral("bruit.pdf"), QByteArray(5000, '\x07')},
        {QStringLiteral("vide.pdf"), lire(sansPage(ailleurs.filePath(QStringLiteral("vide.pdf"))))},
        {QStringLiteral("texte.pdf"), "%PDF-1.4\nrien d’autre\n"},
        {QStringLiteral("image.png"), "\x89PNG\r\n\x1a\n tronquée"},
        {QStringLiteral("tube.pdf"), {}},
        {QStringLiteral("tube.png"), {}}};
    const QString bon = troisPages(d, QStringLiteral("a.pdf"));
    for (const auto& [nom, contenu] : cas) {
        SCOPED_TRACE(nom.toStdString());
        const QString chemin = d.chemin(nom);
        if (nom.startsWith(QLatin1String("tube")))
            ASSERT_EQ(::mkfifo(QFile::encodeName(chemin).constData(), 0600), 0);
        else
            d.ecrire(nom, contenu);
        const QStringList avant = d.noms();
        const auto res = Conversions::convertir({bon, chemin}, petale, {});
        EXPECT_TRUE(res.crees.isEmpty());
        EXPECT_EQ(res.erreurs, QStringList{illisible(nom)});
        EXPECT_EQ(d.noms(), avant);
        QFile::remove(chemin);
    }
}

} // namespace
