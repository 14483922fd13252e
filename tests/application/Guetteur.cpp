#include "Aides.h"
#include "application/Guetteur.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

// The pointer and the drag counter as a test script sets them.
struct Scene : Application::SourceGlisser {
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

using Veilleur = VeilleurDe<Scene>;

} // namespace

// Scripts of polls: the button, Shift and the drag counter at each tick, then how many times the
// wheel was asked for, how many releases and drag starts were seen.
TEST(Guetteur, ScenariosDePointeur)
{
    struct Tic {
        bool bouton, maj;
        long drags;
    };
    const struct {
        const char* nom;
        std::vector<Tic> tics;
        int montres, laches, commences;
    } cas[] = {
        {"un clic sans glisser", {{true, true, 0}, {true, true, 0}, {true, true, 0}, {false, false, 0}}, 0, 0, 0},
        // The counter moves when a drag takes the selection; Shift comes afterwards, then goes.
        {"glisser puis Maj",
         {{true, false, 7}, {true, false, 8}, {true, true, 8}, {true, true, 8}, {true, true, 8}, {true, true, 8},
          {true, false, 8}, {false, false, 8}, {false, false, 8}},
         4, 1, 1},
        // A second drag is seen without the counter coming back.
        {"deux glisser",
         {{true, false, 0}, {true, true, 1}, {false, true, 1}, {true, true, 1}, {true, true, 2}, {false, true, 2}},
         2, 2, 2},
        {"glisser sans Maj", {{true, false, 0}, {true, false, 1}, {false, false, 1}}, 0, 1, 1},
    };
    for (const auto& c : cas) {
        Veilleur v;
        v.g.tic();
        EXPECT_EQ(v.scene->lecturesDuCompte, 0) << "the drag counter is read only while the button is down";
        for (const Tic& t : c.tics) {
            v.scene->bouton = t.bouton;
            v.scene->maj = t.maj;
            v.scene->drags = t.drags;
            v.g.tic();
        }
        EXPECT_EQ(v.montres, c.montres) << c.nom;
        EXPECT_EQ(v.laches, c.laches) << c.nom;
        EXPECT_EQ(v.log.compte(QStringLiteral("glisser commencé")), c.commences) << c.nom;
    }
}
