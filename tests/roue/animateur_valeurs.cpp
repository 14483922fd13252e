// The value animator: springs, eases and keyframes, stepped by hand or by its own timer.
#include "roue/Animateur.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

constexpr double image = 1.0 / 60;

// Steps `a` for `secondes`; returns the extreme values seen.
std::pair<double, double> courir(Animateur& a, const Valeur& v, double secondes, double dt = image)
{
    double bas = v.valeur(), haut = v.valeur();
    for (double t = 0; t < secondes - 1e-9; t += dt) {
        a.avancer(dt);
        bas = std::min(bas, v.valeur());
        haut = std::max(haut, v.valeur());
    }
    return {bas, haut};
}

} // namespace

TEST(Animateur, SpringSettlesOnItsTargetAndStops)
{
    for (const Ressort r : {Ressort{0.34, 0.68}, Ressort{0.42, 0.72}, Ressort{0.28, 0.62}, Ressort{0.5, 1}}) {
        Animateur a;
        Valeur v(0.55);
        v.aller(1, Mouvement::par(r), a);
        EXPECT_TRUE(a.actif());
        courir(a, v, 3 * r.reponse + 1);
        EXPECT_FALSE(v.enMouvement()) << r.reponse;
        EXPECT_FALSE(a.actif());
        EXPECT_DOUBLE_EQ(v.valeur(), 1);
    }
}

TEST(Animateur, UnderdampedSpringOvershootsCriticalDoesNot)
{
    Animateur a;
    Valeur rebond(0.6), ferme(0.6);
    rebond.aller(1, Mouvement::par(Ressort{0.5, 0.55}), a);
    ferme.aller(1, Mouvement::par(Ressort{0.5, 1}), a);
    double hautRebond = 0, hautFerme = 0;
    for (int i = 0; i < 180; ++i) {
        a.avancer(image);
        hautRebond = std::max(hautRebond, rebond.valeur());
        hautFerme = std::max(hautFerme, ferme.valeur());
    }
    // Damping 0.55 overshoots by e^(-πζ/√(1-ζ²)) ≈ 13 % of the 0.4 travel.
    EXPECT_GT(hautRebond, 1.03);
    EXPECT_LT(hautRebond, 1.09);
    EXPECT_LE(hautFerme, 1.0005);
    // Halfway through its response a spring has covered most of the way.
    Valeur mesure(0);
    mesure.aller(1, Mouvement::par(Ressort{0.5, 1}), a);
    courir(a, mesure, 0.25);
    EXPECT_GT(mesure.valeur(), 0.5);
    EXPECT_LT(mesure.valeur(), 0.95);
}

TEST(Animateur, RetargetKeepsPositionAndVelocity)
{
    Animateur a;
    Valeur v(0);
    v.aller(1, Mouvement::par(Ressort{0.42, 0.72}), a);
    courir(a, v, 0.1);
    const double avant = v.valeur(), vitesse = v.vitesse();
    ASSERT_GT(vitesse, 1);
    v.aller(0, Mouvement::par(Ressort{0.42, 0.72}), a);
    EXPECT_DOUBLE_EQ(v.valeur(), avant);
    EXPECT_DOUBLE_EQ(v.vitesse(), vitesse);
    // It carries on a little towards the old target before turning back: no jump.
    a.avancer(0.004);
    EXPECT_GT(v.valeur(), avant);
    EXPECT_LT(v.valeur() - avant, vitesse * 0.004 + 1e-6);
    double precedent = v.valeur(), sautMax = 0;
    for (int i = 0; i < 120; ++i) {
        a.avancer(image);
        sautMax = std::max(sautMax, std::abs(v.valeur() - precedent));
        precedent = v.valeur();
    }
    EXPECT_LT(sautMax, 0.15);
    EXPECT_NEAR(v.valeur(), 0, 1e-3);
    // The same target again changes nothing.
    v.aller(0, Mouvement::par(Ressort{0.42, 0.72}), a);
    EXPECT_FALSE(v.enMouvement());
}

TEST(Animateur, DelayedEaseOutWaitsThenDecelerates)
{
    Animateur a;
    Valeur v(0);
    v.aller(1, Mouvement::par(Fondu{0.18, 0.12}), a);
    courir(a, v, 0.1, 0.01);
    EXPECT_DOUBLE_EQ(v.valeur(), 0);
    EXPECT_TRUE(v.enMouvement());
    courir(a, v, 0.02 + 0.09, 0.01);  // half the duration after the delay
    // An ease-out is past halfway at half time, and its steps shrink.
    EXPECT_GT(v.valeur(), 0.55);
    EXPECT_LT(v.valeur(), 0.8);
    const double x0 = v.valeur();
    a.avancer(0.03);
    const double x1 = v.valeur();
    a.avancer(0.03);
    EXPECT_LT(v.valeur() - x1, x1 - x0);
    courir(a, v, 0.05, 0.01);
    EXPECT_FALSE(v.enMouvement());
    EXPECT_DOUBLE_EQ(v.valeur(), 1);
    // Closing goes back from where it stands, without delay.
    v.aller(0, Mouvement::par(Fondu{0.18}), a);
    a.avancer(0.02);
    EXPECT_LT(v.valeur(), 1);
}

TEST(Animateur, KeyframesPassThroughEveryKey)
{
    Animateur a;
    Valeur v(0);
    v.jouer({{-5, 0.09}, {5, 0.1}, {-3, 0.1}, {0, 0.12}}, a);
    const double dt = 0.001;
    double t = 0, bas = 0, haut = 0;
    auto jusqua = [&](double fin) {
        while (t < fin - 1e-9) {
            a.avancer(dt);
            t += dt;
            bas = std::min(bas, v.valeur());
            haut = std::max(haut, v.valeur());
        }
    };
    jusqua(0.09);
    EXPECT_NEAR(v.valeur(), -5, 0.05);
    jusqua(0.19);
    EXPECT_NEAR(v.valeur(), 5, 0.05);
    jusqua(0.29);
    EXPECT_NEAR(v.valeur(), -3, 0.05);
    jusqua(0.40);
    EXPECT_TRUE(v.enMouvement());
    jusqua(0.42);
    EXPECT_FALSE(v.enMouvement());
    EXPECT_DOUBLE_EQ(v.valeur(), 0);
    EXPECT_GE(bas, -5.6);
    EXPECT_LE(haut, 5.6);
}

TEST(Animateur, ImmediateChangeAndFinishJumpToTheTarget)
{
    Animateur a;
    Valeur v(0), w(0);
    v.aller(3, Mouvement::immediat(), a);
    EXPECT_DOUBLE_EQ(v.valeur(), 3);
    EXPECT_FALSE(a.actif());
    w.aller(2, Mouvement::par(Ressort{0.3, 0.7}), a);
    a.terminer();
    EXPECT_DOUBLE_EQ(w.valeur(), 2);
    EXPECT_FALSE(a.actif());
}

TEST(Animateur, ValueDestroyedWhileMovingLeavesTheAnimator)
{
    Animateur a;
    Valeur reste(0);
    reste.aller(1, Mouvement::par(Fondu{0.2}), a);
    {
        Valeur passagere(0);
        passagere.aller(1, Mouvement::par(Ressort{0.3, 0.7}), a);
    }
    a.avancer(0.1);
    EXPECT_GT(reste.valeur(), 0);
    courir(a, reste, 0.2);
    EXPECT_FALSE(a.actif());
}

TEST(Animateur, OwnTimerRunsOnlyWhileSomethingMoves)
{
    Animateur a;
    Valeur v(0);
    int pas = 0;
    QObject::connect(&a, &Animateur::pas, [&] { ++pas; });
    v.aller(1, Mouvement::par(Fondu{0.1}), a);
    QElapsedTimer montre;
    montre.start();
    while (a.actif() && montre.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_FALSE(a.actif());
    EXPECT_DOUBLE_EQ(v.valeur(), 1);
    EXPECT_GE(pas, 3);
    // Idle: no more steps.
    const int fini = pas;
    montre.restart();
    while (montre.elapsed() < 120)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(pas, fini);
}
