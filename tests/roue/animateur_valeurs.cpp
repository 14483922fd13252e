// The value animator: springs, eases and keyframes, stepped by hand or by its own timer.
#include "roue/Animateur.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

constexpr double image = 1.0 / 60;

// Steps `a` for `secondes`; returns the extreme values of `v` and its largest step.
struct Course {
    double bas, haut, saut = 0;
};
Course courir(Animateur& a, const Valeur& v, double secondes, double dt = image)
{
    Course c{v.valeur(), v.valeur()};
    for (double t = 0; t < secondes - 1e-9; t += dt) {
        const double avant = v.valeur();
        a.avancer(dt);
        c.bas = std::min(c.bas, v.valeur());
        c.haut = std::max(c.haut, v.valeur());
        c.saut = std::max(c.saut, std::abs(v.valeur() - avant));
    }
    return c;
}

} // namespace

TEST(Animateur, SpringsSettleAndOnlyUnderdampedOnesOvershoot)
{
    // Damping 0.55 overshoots by e^(-πζ/√(1-ζ²)) ≈ 13 % of the 0.4 travel; 1 never does.
    const struct {
        Ressort r;
        double hautMin, hautMax;
    } cas[] = {{{0.34, 0.68}, 1.01, 1.1}, {{0.5, 0.55}, 1.03, 1.09}, {{0.5, 1}, 1, 1.0005}};
    for (const auto& c : cas) {
        Animateur a;
        Valeur v(0.6);
        v.aller(1, Mouvement::par(c.r), a);
        EXPECT_TRUE(a.actif());
        const Course k = courir(a, v, 3 * c.r.reponse + 1);
        EXPECT_GE(k.haut, c.hautMin) << c.r.amortissement;
        EXPECT_LE(k.haut, c.hautMax) << c.r.amortissement;
        EXPECT_FALSE(a.actif()) << c.r.amortissement;
        EXPECT_DOUBLE_EQ(v.valeur(), 1);
    }
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
    EXPECT_LT(courir(a, v, 2).saut, 0.15);
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
    courir(a, v, 0.11, 0.01);  // half the duration after the delay
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
    Course k{0, 0};
    for (const auto& [duree, cle] : {std::pair{0.09, -5.0}, {0.1, 5.0}, {0.1, -3.0}}) {
        const Course c = courir(a, v, duree, 0.001);
        k = {std::min(k.bas, c.bas), std::max(k.haut, c.haut)};
        EXPECT_NEAR(v.valeur(), cle, 0.05);
    }
    courir(a, v, 0.11, 0.001);
    EXPECT_TRUE(v.enMouvement());
    courir(a, v, 0.02, 0.001);
    EXPECT_FALSE(v.enMouvement());
    EXPECT_DOUBLE_EQ(v.valeur(), 0);
    EXPECT_GE(k.bas, -5.6);
    EXPECT_LE(k.haut, 5.6);
}

TEST(Animateur, ImmediateFinishAndDestroyedValues)
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
    // A value destroyed while it moves leaves the animator.
    w.aller(0, Mouvement::par(Fondu{0.2}), a);
    {
        Valeur passagere(0);
        passagere.aller(1, Mouvement::par(Ressort{0.3, 0.7}), a);
    }
    a.avancer(0.1);
    EXPECT_LT(w.valeur(), 2);
    courir(a, w, 0.2);
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
    EXPECT_DOUBLE_EQ(v.valeur(), 1);
    EXPECT_GE(pas, 3);
    // Idle: no more steps.
    const int fini = pas;
    montre.restart();
    while (montre.elapsed() < 120)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(pas, fini);
}
