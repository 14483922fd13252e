// The watcher fed by a source that reports presses, releases and drag starts as they come,
// the way the X server does with XInput 2.
#include "Aides.h"
#include "Doubles.h"
#include "application/Guetteur.h"

#include <gtest/gtest.h>

namespace {

// The pointer of the doubles, counting the watcher's reads of the button and the counter.
struct Evenements : Pointeur {
    int lectures = 0;
    bool boutonGauche() override
    {
        ++lectures;
        return Pointeur::boutonGauche();
    }
    long compte() override
    {
        ++lectures;
        return Pointeur::compte();
    }
};

// Started, as the application starts it.
struct Veilleur : VeilleurDe<Evenements> {
    Veilleur() { g.demarrer(); }
};

} // namespace

// Recorded sequences: a press (a), a release (r), a drag start (s), Shift down (M) or up (m),
// one poll of the timer (t). The same calls and log lines as a watcher that polls all the
// time, and the drag that starts at the press itself is seen.
TEST(GuetteurEvenements, SequencesEnregistrees)
{
    const struct {
        const char* nom;
        const char* suite;
        int montres, laches, commences;
    } cas[] = {
        {"glisser dès l’appui, Maj tenue", "Masttr", 3, 1, 1},
        {"glisser commencé avant l’appui", "sattr", 0, 0, 0},
        {"Maj pendant le glisser", "astMttmtr", 2, 1, 1},
        {"un clic", "ar", 0, 0, 0},
        {"deux glisser sans Maj", "asrasr", 0, 2, 2},
        {"Maj puis glisser lent", "Mattsttr", 3, 1, 1},
    };
    for (const auto& c : cas) {
        Veilleur v;
        for (const char* e = c.suite; *e; ++e) {
            switch (*e) {
            case 'a': v.scene->appuyer(); break;
            case 'r': v.scene->relacher(); break;
            case 's': v.scene->commencer(); break;
            case 'M': v.scene->maj = true; break;
            case 'm': v.scene->maj = false; break;
            case 't': v.g.tic(); break;
            }
        }
        EXPECT_EQ(v.montres, c.montres) << c.nom;
        EXPECT_EQ(v.laches, c.laches) << c.nom;
        EXPECT_EQ(v.log.compte(QStringLiteral("glisser commencé")), c.commences) << c.nom;
        EXPECT_FALSE(v.g.interroge()) << c.nom << ": the button is up, nothing should poll";
    }
}

// At rest nothing is read; a press starts the polls at 30 a second; the release stops them.
TEST(GuetteurEvenements, InterrogeSeulementBoutonEnfonce)
{
    Veilleur v;
    patienter(200);
    EXPECT_FALSE(v.g.interroge());
    EXPECT_EQ(v.scene->lectures, 0);

    v.scene->maj = true;
    v.scene->appuyer();
    v.scene->commencer();
    EXPECT_TRUE(v.g.interroge());
    const int avant = v.montres;
    patienter(500);
    // Polls while the button is down (about 15 in half a second), each asking for the wheel.
    EXPECT_GE(v.montres - avant, 3);
    EXPECT_LE(v.montres - avant, 17);

    v.scene->relacher();
    EXPECT_EQ(v.laches, 1);
    EXPECT_FALSE(v.g.interroge());
    const int lectures = v.scene->lectures;
    patienter(200);
    EXPECT_EQ(v.scene->lectures, lectures);
}
