#include "conversions/Conversions.h"

#include "commun/Dossier.h"
#include "commun/Echantillons.h"

#include <QFileInfo>
#include <gtest/gtest.h>
#include <algorithm>
#include <mutex>

namespace {

// Collects progress calls, which may come from any thread.
struct Releve {
    std::mutex verrou;
    QList<double> valeurs;
    Conversions::Progression rappel()
    {
        return [this](double p) {
            std::lock_guard g(verrou);
            valeurs << p;
        };
    }
};

TEST(Dispatcher, ListeVideSansAppelDeProgression)
{
    Releve r;
    const auto res = Conversions::convertir({}, QStringLiteral("jpg"), r.rappel());
    EXPECT_TRUE(res.crees.isEmpty());
    EXPECT_TRUE(res.erreurs.isEmpty());
    EXPECT_TRUE(r.valeurs.isEmpty());
}

TEST(Dispatcher, UnDossierNeSeConvertitQuEnZip)
{
    Dossier d;
    const QString dossier = d.creerDossier(QStringLiteral("Vacances d’été"));
    const auto res = Conversions::convertir({dossier}, QStringLiteral("pdf"), {});
    ASSERT_EQ(res.erreurs.size(), 1);
    EXPECT_EQ(res.erreurs[0], QStringLiteral("Impossible de lire « Vacances d’été »"));
    EXPECT_TRUE(res.crees.isEmpty());
    EXPECT_EQ(d.noms(), QStringList{QStringLiteral("Vacances d’été")});  // nothing created
}

TEST(Dispatcher, UnEchecNArretePasLeLotEtLaProgressionAvance)
{
    Dossier d;
    const QStringList fichiers{d.ecrire(QStringLiteral("a.zip"), "x"), d.creerDossier(QStringLiteral("b")),
                               d.ecrire(QStringLiteral("c.bin"), "x")};
    Releve r;
    const auto res = Conversions::convertir(fichiers, QStringLiteral("jpg"), r.rappel());
    EXPECT_EQ(res.erreurs, (QStringList{QStringLiteral("Impossible de lire « a.zip »"),
                                         QStringLiteral("Impossible de lire « b »"),
                                         QStringLiteral("Impossible de lire « c.bin »")}));
    ASSERT_EQ(r.valeurs.size(), 3);
    EXPECT_DOUBLE_EQ(r.valeurs[0], 1.0 / 3);
    EXPECT_DOUBLE_EQ(r.valeurs[1], 2.0 / 3);
    EXPECT_DOUBLE_EQ(r.valeurs[2], 1.0);
}

TEST(Dispatcher, UnFichierAbimeAuMilieuDuLot)
{
    Dossier d;
    const QStringList fichiers{Echantillons::image(d.chemin(QStringLiteral("a.png"))),
                               d.ecrire(QStringLiteral("b.png"), "\x89PNG\r\n\x1a\n abîmé"),
                               Echantillons::image(d.chemin(QStringLiteral("c.png")))};
    Releve r;
    const auto res = Conversions::convertir(fichiers, QStringLiteral("jpg"), r.rappel());
    EXPECT_EQ(res.crees, (QStringList{d.chemin(QStringLiteral("a.jpg")), d.chemin(QStringLiteral("c.jpg"))}));
    EXPECT_EQ(res.erreurs, QStringList{QStringLiteral("Impossible de lire « b.png »")});
    // Each file's end is reported, in order, whatever happened to it.
    for (double fin : {1.0 / 3, 2.0 / 3, 1.0})
        EXPECT_TRUE(r.valeurs.contains(fin)) << fin;
    EXPECT_TRUE(std::is_sorted(r.valeurs.begin(), r.valeurs.end()));
    EXPECT_DOUBLE_EQ(r.valeurs.last(), 1.0);
}

TEST(Dispatcher, FusionDansLOrdreDesNoms)
{
    Dossier d;
    // Told apart by their widths: a page is as wide in points as its image in pixels.
    const QStringList fichiers{Echantillons::image(d.chemin(QStringLiteral("image 10.png")), 30, 10),
                               Echantillons::image(d.chemin(QStringLiteral("image 2.png")), 20, 10)};
    const auto res = Conversions::convertir(fichiers, QStringLiteral("pdf"), {});
    ASSERT_EQ(res.crees, QStringList{d.chemin(QStringLiteral("image 2 et 1 autres.pdf"))});
    QString info;
    ASSERT_EQ(executer(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                                                   QStringLiteral("2"), res.crees[0]}, &info), 0);
    const qsizetype page1 = info.indexOf(QStringLiteral("Page    1 size:  20 x 10"));
    const qsizetype page2 = info.indexOf(QStringLiteral("Page    2 size:  30 x 10"));
    EXPECT_GE(page1, 0) << info.toStdString();
    EXPECT_GT(page2, page1) << info.toStdString();
}

TEST(Dispatcher, OrdreDuGestionnaireDeFichiers)
{
    QStringList l{QStringLiteral("/x/image 10.png"), QStringLiteral("/y/Image 2.png"),
                  QStringLiteral("/x/image 1.png"), QStringLiteral("/x/autre.pdf")};
    Conversions::trierCommeLeGestionnaire(l);
    EXPECT_EQ(l, (QStringList{QStringLiteral("/x/autre.pdf"), QStringLiteral("/x/image 1.png"),
                              QStringLiteral("/y/Image 2.png"), QStringLiteral("/x/image 10.png")}));
}

TEST(Erreurs, TextesExacts)
{
    using Conversions::Erreur;
    EXPECT_EQ(Erreur::lecture(QStringLiteral("a.png")).message(), QStringLiteral("Impossible de lire « a.png »"));
    EXPECT_EQ(Erreur::ecriture(QStringLiteral("a.png")).message(), QStringLiteral("Impossible d’écrire « a.png »"));
    EXPECT_EQ(Erreur::sansSon(QStringLiteral("v.mov")).message(), QStringLiteral("« v.mov » n’a pas de son"));
    EXPECT_EQ(Erreur::protege(QStringLiteral("d.pdf")).message(),
              QStringLiteral("« d.pdf » est protégé par un mot de passe"));
    EXPECT_EQ(Erreur::rien(QStringLiteral("Aucun texte")).message(), QStringLiteral("Aucun texte"));
    EXPECT_STREQ(Erreur::lecture(QStringLiteral("é.png")).what(), "Impossible de lire « é.png »");
    // Anything else becomes a French sentence, never the library's words.
    EXPECT_EQ(Conversions::description(std::runtime_error("vips: bad header")),
              QStringLiteral("La conversion a échoué"));
}

} // namespace
