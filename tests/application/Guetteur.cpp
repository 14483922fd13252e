#include "Aides.h"
#include "application/Guetteur.h"

#include <gtest/gtest.h>

namespace {

// The pointer and the drag counter as a test script sets them.
struct Scene : SourceGlisser {
    bool bouton = false;
    bool maj = false;
    long drags = 0;
    int lecturesDuCompte = 0;
    bool boutonGauche() override { return bouton; }
    bool shift() override { return maj; }
    long compte() override
    {
        ++lecturesDuCompte;
        return drags;
    }
};

struct Veilleur {
    JournalDeTest log;
    Scene* scene = new Scene;
    Guetteur g{std::unique_ptr<SourceGlisser>(scene)};
    int montres = 0;
    int laches = 0;
    Veilleur()
    {
        g.montrer = [this] { ++montres; };
        g.lacher = [this] { ++laches; };
    }
};

} // namespace

TEST(Guetteur, UnClicSansGlisserNeDonneRien)
{
    Veilleur v;
    v.g.tic();
    EXPECT_EQ(v.scene->lecturesDuCompte, 0) << "the drag counter is read only while the button is down";
    v.scene->bouton = true;
    v.scene->maj = true;
    for (int i = 0; i < 5; ++i)
        v.g.tic();
    v.scene->bouton = false;
    v.g.tic();
    EXPECT_EQ(v.montres, 0);
    EXPECT_EQ(v.laches, 0);
    EXPECT_TRUE(v.log.messages().isEmpty());
}

TEST(Guetteur, GlisserAvecMajDemandeLaRoueAChaqueTicEtLacheUneFois)
{
    Veilleur v;
    v.scene->drags = 7;
    v.scene->bouton = true;
    v.g.tic();
    v.scene->drags = 8;  // a drag takes the selection
    v.g.tic();
    EXPECT_EQ(v.montres, 0) << "no Shift yet";
    v.scene->maj = true;  // Shift only after the drag began
    for (int i = 0; i < 4; ++i)
        v.g.tic();
    EXPECT_EQ(v.montres, 4);
    v.scene->maj = false;
    v.g.tic();
    EXPECT_EQ(v.montres, 4);
    v.scene->bouton = false;
    v.g.tic();
    v.g.tic();
    EXPECT_EQ(v.laches, 1);
    EXPECT_EQ(v.log.compte(QStringLiteral("glisser commencé")), 1);
}

TEST(Guetteur, UnSecondGlisserEstVuSansQueLeCompteRevienne)
{
    Veilleur v;
    for (long d : {1L, 2L}) {
        v.scene->bouton = true;
        v.g.tic();
        v.scene->drags = d;
        v.scene->maj = true;
        v.g.tic();
        v.scene->bouton = false;
        v.g.tic();
    }
    EXPECT_EQ(v.laches, 2);
    EXPECT_EQ(v.montres, 2);
    EXPECT_EQ(v.log.compte(QStringLiteral("glisser commencé")), 2);
}

TEST(Guetteur, UnGlisserSansMajLacheQuandMeme)
{
    Veilleur v;
    v.scene->bouton = true;
    v.g.tic();
    v.scene->drags = 1;
    v.g.tic();
    v.scene->bouton = false;
    v.g.tic();
    EXPECT_EQ(v.montres, 0);
    EXPECT_EQ(v.laches, 1);
}

TEST(Guetteur, LeMinuteurInterrogeTrenteFoisParSeconde)
{
    Veilleur v;
    v.scene->bouton = true;
    v.scene->maj = true;
    v.g.demarrer();
    patienter(100);
    v.scene->drags = 1;
    const int avant = v.montres;
    patienter(500);
    v.montres -= avant;
    // About 15 polls in half a second; a timer far too slow or too fast would miss this.
    EXPECT_GE(v.montres, 8);
    EXPECT_LE(v.montres, 17);
}
