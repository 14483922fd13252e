// Delayed steps: the event loop's clock and the one pending step of the wheel and the icon.
#include "Aides.h"
#include "application/Differe.h"
#include "application/Horloge.h"

#include <gtest/gtest.h>

// Steps run in the order of their delays; a cancelled one never runs; a step may program another.
TEST(HorlogeQt, OrdreAnnulationEtReprogrammation)
{
    Application::HorlogeQt h;
    QStringList faits;
    h.programmer(0.3, [&] { faits << "b"; });
    const Application::Horloge::Jeton annule = h.programmer(0.02, [&] { faits << "annulé"; });
    h.programmer(0, [&] {
        faits << "a";
        h.programmer(0, [&] { faits << "a2"; });
    });
    h.annuler(annule);
    h.annuler(annule);
    EXPECT_TRUE(faits.isEmpty()) << "nothing runs before the event loop turns";
    ASSERT_TRUE(attendre([&] { return faits.size() >= 3; }, 5000));
    patienter(50);
    EXPECT_EQ(faits, (QStringList{"a", "a2", "b"}));
}

// A clock that goes takes its pending steps with it.
TEST(HorlogeQt, DetruiteRienNeSuit)
{
    int n = 0;
    {
        Application::HorlogeQt h;
        h.programmer(0, [&] { ++n; });
        h.programmer(0.01, [&] { ++n; });
    }
    patienter(100);
    EXPECT_EQ(n, 0);
}

// A new step replaces the pending one; run, cancelled or destroyed, nothing is left pending.
TEST(Differe, UneNouvelleAttenteRemplaceLaPrecedente)
{
    HorlogeManuelle h;
    int premier = 0;
    int second = 0;
    {
        Application::Differe d(h);
        d.lancer(0.2, [&] { ++premier; });
        d.lancer(1.0, [&] { ++second; });
        EXPECT_TRUE(d.enAttente());
        h.avancer(0.6);
        EXPECT_EQ(premier + second, 0);
        h.avancer(0.4);
        EXPECT_EQ(premier, 0);
        EXPECT_EQ(second, 1);
        EXPECT_FALSE(d.enAttente());
        // A step may start the next one.
        d.lancer(0.1, [&] {
            ++premier;
            d.lancer(0.1, [&] { ++premier; });
        });
        h.avancer(0.1);
        EXPECT_EQ(premier, 1);
        EXPECT_TRUE(d.enAttente());
        d.annuler();
        EXPECT_FALSE(d.enAttente());
        h.avancer(1);
        EXPECT_EQ(premier, 1);
        d.lancer(0.5, [&] { ++premier; });
    }
    EXPECT_EQ(h.enAttente(), 0);
    h.avancer(1);
    EXPECT_EQ(premier, 1);
}
