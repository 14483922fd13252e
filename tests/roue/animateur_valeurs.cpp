// The value animator: springs, eases and keyframes, stepped by hand or by its own timer.
#include "tesselui/Animateur.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

// Steps `a` for `secondes`; returns the extreme values of `v` and its largest step.
struct Course {
    double bas, haut, saut = 0;
};
Course courir(Animateur& a, const Valeur& v, double secondes, double dt = 1.0 / 60)
{
    Course c{v.valeur(), v.valeur()};
    for (double t = 0; t < secondes - 1e-9; t += dt) {
        const double avant = v.valeur();
        a.avancer(dt);
        c = {std::min(c.bas, v.valeur()), std::max(c.haut, v.valeur()), std::max(c.saut, std::abs(v.valeur() - avant))};
    }
    return c;
}

} // namespace

TEST(Animateur, SpringsSettleAndOnlyUnderdampedOnesOvershoot)
{
    // Damping 0.55 overshoots by about 13 % of the 0.4 travel; 1 never does.
    const struct {
        Ressort r;
        double hautMin, hautMax;
    } cas[] = {{{0.34, 0.68}, 1.01, 1.1}, {{0.5, 0.55}, 1.03, 1.09}, {{0.5, 1}, 1, 1.0005}};
    for (const auto& c : cas) {
        Animateur a;
        Valeur v(0.6);
        v.aller(1, Mouvement::par(c.r), a);
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
    EXPECT_LT(courir(a, v, 2).saut, 0.15);
    EXPECT_NEAR(v.valeur(), 0, 1e-3);
    // The same target again changes nothing.
    v.aller(0, Mouvement::par(Ressort{0.42, 0.72}), a);
    EXPECT_FALSE(v.enMouvement());
}

// Eases, their delay and keyframes are seen through the wheel view (its tools wait, then fade
// in) and the mascot (its shake).
// Immediate moves are seen through reduced motion in the view and the mascot.
TEST(Animateur, FinishAndDestroyedValues)
{
    Animateur a;
    Valeur w(0);
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
    courir(a, w, 0.3);
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
