// The mascot's pose over time, its skin and gaze, and its timers.
#include "tesselui/Motion.h"
#include "tesselui/Rezuz.h"

#include <QTest>
#include <gtest/gtest.h>

using K = Rezuz::JumpKind;

TEST(Rezuz, LaPoseSuitLesRebondsDuSaut)
{
    struct Cas {
        K kind;
        double t, lift, stretch, third;
    } cas[] = {
        {K::hop, -1, 0, 1, 0},          {K::hop, 0, 0, 1, 0},
        {K::hop, 0.05, 0, 0.865, 0.015}, {K::hop, 0.1, 0, 0.82, 0.03},
        {K::hop, 0.34, -0.2, 1, -0.024}, {K::hop, 0.604, 0, 0.76, 0.04},
        {K::drop, 0.4, -0.34, 1, -0.0408},
    };
    for (const Cas& c : cas) {
        const Rezuz::Pose p = Rezuz::pose(c.kind, c.t);
        EXPECT_NEAR(p.lift, c.lift, 1e-9) << c.t;
        EXPECT_NEAR(p.stretch, c.stretch, 1e-9) << c.t;
        EXPECT_NEAR(p.third, c.third, 1e-9) << c.t;
    }
    EXPECT_NEAR(Rezuz::duration(K::hop), 1.386, 1e-12);
    EXPECT_NEAR(Rezuz::duration(K::drop), 1.9455, 1e-12);
    for (K k : {K::hop, K::drop}) {
        const Rezuz::Pose fin = Rezuz::pose(k, Rezuz::duration(k));
        EXPECT_NEAR(fin.stretch, 1, 0.01);
        EXPECT_NE(fin.stretch, 1);
    }
}

// Between two frames 1/240 s apart, no part of the pose leaps: every phase joins the next.
TEST(Rezuz, LaPoseNeSauteJamaisEntreDeuxImages)
{
    for (K k : {K::hop, K::drop}) {
        const double dt = 1.0 / 240;
        Rezuz::Pose avant = Rezuz::pose(k, -dt);
        double pire = 0;
        for (double t = 0; t <= Rezuz::duration(k) + 0.1; t += dt) {
            const Rezuz::Pose p = Rezuz::pose(k, t);
            pire = std::max({pire, std::abs(p.lift - avant.lift), std::abs(p.stretch - avant.stretch),
                             std::abs(p.third - avant.third)});
            avant = p;
        }
        // The quickest move, a landing squash over 0.06 s, changes by about 0.06 per frame.
        EXPECT_LT(pire, 0.075) << int(k);
    }
}

TEST(Rezuz, PeauRegardEtYeux)
{
    EXPECT_EQ(Rezuz::arrets(3), (QList<double>{0, 0.55, 1}));
    EXPECT_EQ(Rezuz::arrets(4), (QList<double>{0, 1 / 3.0, 2 / 3.0, 1}));
    EXPECT_TRUE(Rezuz::arrets(1).isEmpty());
    // Full deflection from 140 points on; less nearer; still at the centre.
    EXPECT_EQ(Rezuz::suivre(280, 0), QPointF(1, 0));
    EXPECT_EQ(Rezuz::suivre(0, 70), QPointF(0, 0.5));
    EXPECT_EQ(Rezuz::suivre(0, 0), QPointF(0, 0));
    const QRectF r(10, 20, 17, 16);  // the heart's own frame, 0.17 × 0.16 of the size
    EXPECT_TRUE(r.adjusted(-0.5, -0.5, 0.5, 0.5).contains(Rezuz::heartEye(r).boundingRect()));
    EXPECT_EQ(Rezuz::happyEye(r).elementAt(0), r.bottomLeft());
}

TEST(Rezuz, SesMinuteriesNeTournentQueVisible)
{
    Motion::reduire() = false;
    Rezuz r(40);
    EXPECT_FALSE(r.liveRunning());
    r.show();
    EXPECT_TRUE(r.liveRunning());
    r.setJoy(1);
    EXPECT_TRUE(r.jumping());
    EXPECT_TRUE(r.framesRunning());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !r.jumping(); }, 3000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !r.framesRunning(); }, 1000));
    r.setLookAt(QPointF(-1, 0.3));
    ASSERT_TRUE(QTest::qWaitFor([&] { return std::abs(r.gaze().x() + 1) < 0.01; }, 2000));
    r.setLove(1);
    EXPECT_EQ(r.mood(), Rezuz::Mood::love);
    EXPECT_EQ(r.jumpKind(), K::drop);
    r.hide();
    EXPECT_FALSE(r.liveRunning());
    EXPECT_FALSE(r.framesRunning());
    // Under reduced motion: hearts without a jump, and no loop at all.
    Motion::reduire() = true;
    Rezuz calme(40);
    calme.show();
    calme.setLove(1);
    EXPECT_EQ(calme.mood(), Rezuz::Mood::love);
    EXPECT_FALSE(calme.jumping());
    EXPECT_FALSE(calme.liveRunning());
    Motion::reduire() = false;
    // Zero and huge sizes paint without trouble.
    for (double s : {0.0, 1e7}) {
        Rezuz z(s);
        z.resize(100, 100);
        z.repaint();
    }
}
