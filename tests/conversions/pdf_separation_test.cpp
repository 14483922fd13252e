#include "conversions/Conversions.h"

#include "commun/Dossier.h"
#include "commun/Echantillons.h"
#include "pdf_outils.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace PdfOutils;

namespace {

const QString petale = QStringLiteral("separer");

TEST(PdfSeparation, UnFichierParPageDansLOrdre)
{
    for (int n : {1, 2, 5}) {
        Dossier d;
        const QString source = Echantillons::pdf(d.chemin(QStringLiteral("report.pdf")), n);
        const QStringList crees = Conversions::convertirUn(source, petale);
        ASSERT_EQ(crees.size(), n);
        for (int i = 0; i < n; ++i) {
            EXPECT_EQ(crees[i], d.chemin(QStringLiteral("report page %1.pdf").arg(i + 1)));
            EXPECT_EQ(pages(crees[i]), 1);
            EXPECT_TRUE(intact(crees[i]));
            EXPECT_EQ(texte(crees[i]).trimmed(), QStringLiteral("Page %1").arg(i + 1));
        }
        EXPECT_EQ(d.noms().size(), n + 1);
    }
}

TEST(PdfSeparation, NomsPrisEtTaillesGardees)
{
    Dossier d;
    const QString source = pdf(d.chemin(QStringLiteral("plan.pdf")), {QSizeF(595, 842), QSizeF(842, 595)},
                               {QStringLiteral("A"), QStringLiteral("B")});
    d.ecrire(QStringLiteral("plan page 2.pdf"), "pris");
    const QStringList crees = Conversions::convertirUn(source, petale);
    ASSERT_EQ(crees, (QStringList{d.chemin(QStringLiteral("plan page 1.pdf")),
                                  d.chemin(QStringLiteral("plan page 2 2.pdf"))}));
    EXPECT_EQ(taillePage(crees[0], 1), QSizeF(595, 842));
    EXPECT_EQ(taillePage(crees[1], 1), QSizeF(842, 595));
}

TEST(PdfSeparation, ProprietaireSeulSeSepare)
{
    Dossier d;
    QTemporaryDir ailleurs;
    const QString source = chiffrer(Echantillons::pdf(ailleurs.filePath(QStringLiteral("c.pdf")), 2),
                                    d.chemin(QStringLiteral("restreint.pdf")), QString(), QStringLiteral("o"));
    const QStringList crees = Conversions::convertirUn(source, petale);
    ASSERT_EQ(crees.size(), 2);
    EXPECT_EQ(texte(crees[1]).trimmed(), QStringLiteral("Page 2"));
    EXPECT_TRUE(intact(crees[1]));
}

TEST(PdfSeparation, VerrouilleOuSansPageEchoueSansRienLaisser)
{
    Dossier d;
    QTemporaryDir ailleurs;
    const QString clair = Echantillons::pdf(ailleurs.filePath(QStringLiteral("c.pdf")), 2);
    const QString secret = chiffrer(clair, d.chemin(QStringLiteral("secret.pdf")), QStringLiteral("u"),
                                    QStringLiteral("o"));
    const QString vide = d.chemin(QStringLiteral("vide.pdf"));
    executer(QStringLiteral("qpdf"), {QStringLiteral("--empty"), vide});
    const QString abime = d.ecrire(QStringLiteral("abîmé.pdf"), QByteArray("%PDF-1.7\n") + QByteArray(3000, 'x'));
    const QStringList avant = d.noms();
    const auto res = Conversions::convertir({secret, vide, abime}, petale, {});
    EXPECT_TRUE(res.crees.isEmpty());
    EXPECT_EQ(res.erreurs, (QStringList{QStringLiteral("« secret.pdf » est protégé par un mot de passe"),
                                         QStringLiteral("Impossible de lire « vide.pdf »"),
                                         QStringLiteral("Impossible de lire « abîmé.pdf »")}));
    EXPECT_EQ(d.noms(), avant);
}

} // namespace
