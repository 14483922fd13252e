#include "conversions/essais_outils.h"

#include "commun/Echantillons.h"

using namespace essais;

TEST(Dispatcher, ListeVideSansAppelDeProgression)
{
    Releve r;
    const auto res = Conversions::convertir({}, QStringLiteral("jpg"), r.rappel());
    EXPECT_TRUE(res.crees.isEmpty());
    EXPECT_TRUE(res.erreurs.isEmpty());
    EXPECT_TRUE(r.valeurs.empty());
}

// A damaged file, a folder (only zipped) and a file of no kind amid good ones: each refused with
// its name, the others made, and each file's end reported in order whatever happened to it.
TEST(Dispatcher, UnEchecNArretePasLeLot)
{
    Dossier d;
    const QStringList fichiers{Echantillons::image(d.chemin("a.png")), d.ecrire("b.png", "\x89PNG\r\n\x1a\n abîmé"),
                               d.creerDossier("Vacances d’été"), d.ecrire("c.bin", "x"),
                               Echantillons::image(d.chemin("e.png"))};
    Releve r;
    const auto res = Conversions::convertir(fichiers, "jpg", r.rappel());
    EXPECT_EQ(res.crees, (QStringList{d.chemin("a.jpg"), d.chemin("e.jpg")}));
    EXPECT_EQ(res.erreurs, (QStringList{illisible("b.png"), illisible("Vacances d’été"), illisible("c.bin")}));
    EXPECT_EQ(d.noms(), (QStringList{"Vacances d’été", "a.jpg", "a.png", "b.png", "c.bin", "e.jpg", "e.png"}));
    for (double fin : {0.2, 0.4, 0.6, 0.8})
        EXPECT_NE(std::find(r.valeurs.begin(), r.valeurs.end(), fin), r.valeurs.end()) << fin;
    EXPECT_TRUE(r.enOrdre());
    EXPECT_DOUBLE_EQ(r.valeurs.back(), 1.0);
}

// A name's own "%1" is text, not a marker: the archive and the merged PDF keep it as it is.
TEST(Dispatcher, UnPourcentDansLeNomResteTel)
{
    Dossier d;
    const QStringList textes{d.ecrire("Facture %1.txt", "montant"), d.ecrire("b.txt", "b"), d.ecrire("c.txt", "c")};
    const QString zip = convertirSeul(textes, "zip");
    EXPECT_EQ(zip, d.chemin("Facture %1 et 2 autres.zip"));
    EXPECT_TRUE(sortieDe("zipinfo", {"-1", zip}).split('\n').contains("Facture %1.txt"));

    const QStringList images{Echantillons::image(d.chemin("Relevé %2 %1.png")), Echantillons::image(d.chemin("x.png"))};
    const QString fusion = convertirSeul(images, "pdf");
    EXPECT_EQ(fusion, d.chemin("Relevé %2 %1 et 1 autres.pdf"));
    EXPECT_EQ(pages(fusion), 2);
}

TEST(Dispatcher, OrdreDuGestionnaireDeFichiers)
{
    QStringList l{"/x/image 10.png", "/y/Image 2.png", "/x/image 1.png", "/x/autre.pdf"};
    Conversions::trierCommeLeGestionnaire(l);
    EXPECT_EQ(l, (QStringList{"/x/autre.pdf", "/x/image 1.png", "/y/Image 2.png", "/x/image 10.png"}));
}

TEST(Erreurs, TextesEnFrancais)
{
    EXPECT_STREQ(Conversions::Erreur::lecture("é.png").what(), "Impossible de lire « é.png »");
    // Anything else becomes a French sentence, never the library's words.
    EXPECT_EQ(Conversions::description(std::runtime_error("vips: bad header")), "La conversion a échoué");
}

// A source cut short or rewritten while it is converted: nothing is made of it, and the
// message says why.
TEST(Dispatcher, ASourceChangedDuringItsConversionIsRefused)
{
    Dossier d;
    const QString son = d.chemin("long.wav");
    ASSERT_EQ(executer("ffmpeg", {"-v", "error", "-nostdin", "-f", "lavfi", "-i", "sine=frequency=440:duration=120",
                                  "-ac", "2", son}),
              0);
    const qint64 taille = QFileInfo(son).size();
    bool coupe = false;
    try {
        Conversions::convertirUn(son, "mp3", [&](double) {
            if (!std::exchange(coupe, true)) {
                ASSERT_TRUE(QFile::resize(son, taille / 4));
            }
        });
        FAIL() << "converted a source cut short";
    } catch (const Conversions::Erreur& e) {
        EXPECT_EQ(e.message(), QString::fromUtf8("« long.wav » a changé pendant sa conversion : rien n’a été créé"));
    }
    EXPECT_TRUE(coupe);
    EXPECT_EQ(d.noms(), QStringList{"long.wav"});
    // Unchanged, it converts.
    EXPECT_EQ(Conversions::convertirUn(son, "mp3"), QStringList{d.chemin("long.mp3")});
}
