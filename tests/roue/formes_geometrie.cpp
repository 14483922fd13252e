// The shapes' paths: which points they hold, for angles and radii taken all around.
#include "roue/Formes.h"

#include <QPainterPath>
#include <gtest/gtest.h>

namespace {

const QRectF carre(0, 0, 640, 640);
const QPointF c(320, 320);

QPointF P(double a, double r) { return Formes::point(c, a, r); }

} // namespace

TEST(Formes, PointFollowsTheClockwiseFromTopConvention)
{
    EXPECT_NEAR(P(0, 100).x(), 320, 1e-9);
    EXPECT_NEAR(P(0, 100).y(), 220, 1e-9);   // up: y decreases
    EXPECT_NEAR(P(90, 100).x(), 420, 1e-9);  // right
    EXPECT_NEAR(P(180, 100).y(), 420, 1e-9); // down
    EXPECT_NEAR(P(270, 100).x(), 220, 1e-9); // left
}

TEST(Formes, GaletHoldsItsSectorAndNothingElse)
{
    // Petal 0 of 8, and petal 2 on the right: the arcs must turn clockwise on screen.
    for (double centre : {0.0, 90.0, 200.0, 315.0}) {
        const Galet g{78, 172, centre - 19.6, centre + 19.6, 16};
        const QPainterPath p = g.chemin(carre);
        EXPECT_TRUE(p.contains(P(centre, 125))) << centre;
        EXPECT_TRUE(p.contains(P(centre - 18, 125))) << centre;
        EXPECT_TRUE(p.contains(P(centre + 18, 125))) << centre;
        EXPECT_TRUE(p.contains(P(centre, 80))) << centre;
        EXPECT_TRUE(p.contains(P(centre, 170))) << centre;
        EXPECT_FALSE(p.contains(P(centre, 75))) << centre;
        EXPECT_FALSE(p.contains(P(centre, 175))) << centre;
        EXPECT_FALSE(p.contains(P(centre + 21, 125))) << centre;
        EXPECT_FALSE(p.contains(P(centre - 21, 125))) << centre;
        EXPECT_FALSE(p.contains(P(centre + 180, 125))) << centre;
        // The corners are rounded: the sharp corner's tip is left out, a point a corner
        // radius inside is kept.
        EXPECT_FALSE(p.contains(P(centre + 19.3, 171))) << centre;
        EXPECT_FALSE(p.contains(P(centre - 19.3, 79))) << centre;
        EXPECT_TRUE(p.contains(P(centre + 12, 160))) << centre;
    }
}

TEST(Formes, OnlyPetalLeavesItsGapAtTheBottom)
{
    const Galet g{78, 172, -180 + 2.9, 180 - 2.9, 16};
    const QPainterPath p = g.chemin(carre);
    for (double a : {0.0, 60.0, 120.0, 170.0, -170.0, -90.0})
        EXPECT_TRUE(p.contains(P(a, 125))) << a;
    EXPECT_FALSE(p.contains(P(180, 125)));
    EXPECT_FALSE(p.contains(c));
}

TEST(Formes, ToolCellSpansItsSlot)
{
    // Slot 1 of an arc beside a "Modifier" petal at 300°: cells of 22° with 4° between.
    const double bk = 300 - 52 + 26;
    const QPainterPath p = Galet{200, 260, bk + 2, bk + 24, 13}.chemin(carre);
    EXPECT_TRUE(p.contains(P(bk + 13, 230)));
    EXPECT_FALSE(p.contains(P(bk + 1, 230)));
    EXPECT_FALSE(p.contains(P(bk + 25, 230)));
    EXPECT_FALSE(p.contains(P(bk + 13, 195)));
    EXPECT_FALSE(p.contains(P(bk + 13, 265)));
}

TEST(Formes, WheelIsACircleUpToTwoHundredths)
{
    for (double e : {0.0, 0.02}) {
        const QPainterPath p = FormeRoue{e, 40, 52}.chemin(carre);
        for (double a = 0; a < 360; a += 15) {
            EXPECT_TRUE(p.contains(P(a, 183))) << e << " " << a;
            EXPECT_FALSE(p.contains(P(a, 185))) << e << " " << a;
        }
        EXPECT_NEAR(p.boundingRect().width(), 368, 0.01);
    }
}

TEST(Formes, TabStartsTinyAboveTwoHundredths)
{
    // e = 0.03: the tab is 2.64 high (radius 186.64), its corners 1.188.
    const double am = 120;
    const QPainterPath p = FormeRoue{0.03, am, 52}.chemin(carre);
    EXPECT_TRUE(p.contains(P(am, 186.3)));
    EXPECT_FALSE(p.contains(P(am, 187)));
    EXPECT_TRUE(p.contains(P(am + 45, 186.3)));
    EXPECT_FALSE(p.contains(P(am + 60, 185.5)));
    EXPECT_FALSE(p.contains(P(am - 180, 185)));
    // Straight up, the top of the tab is the highest point of the outline.
    const QPainterPath haut = FormeRoue{0.03, 0, 52}.chemin(carre);
    EXPECT_NEAR(haut.boundingRect().top(), 320 - 186.64, 0.05);
}

TEST(Formes, FullTabReachesTwoHundredSeventyTwo)
{
    for (double am : {0.0, 90.0, 288.0}) {
        const QPainterPath p = FormeRoue{1, am, 52}.chemin(carre);
        EXPECT_TRUE(p.contains(P(am, 270))) << am;
        EXPECT_FALSE(p.contains(P(am, 274))) << am;
        EXPECT_TRUE(p.contains(P(am - 48, 265))) << am;
        EXPECT_TRUE(p.contains(P(am + 48, 265))) << am;
        // The corners are rounded (radius 28): the tab's sharp corner is cut.
        // 5 points in from both edges of the tab's corner is still outside a 28-point round.
        EXPECT_FALSE(p.contains(P(am + 52 - 1.05, 267))) << am;
        EXPECT_FALSE(p.contains(P(am - 52 + 1.05, 267))) << am;
        EXPECT_TRUE(p.contains(P(am + 52 - 4, 262))) << am;
        // Outside the tab's span the plain disc goes on.
        EXPECT_FALSE(p.contains(P(am + 70, 200))) << am;
        EXPECT_TRUE(p.contains(P(am + 70, 182))) << am;
        EXPECT_FALSE(p.contains(P(am + 180, 190))) << am;
    }
}

TEST(Formes, SmileArchesUpward)
{
    const QRectF r(100, 200, 15.73, 29.9);
    const QPainterPath p = Sourire().chemin(r);
    const QPointF debut = p.pointAtPercent(0), milieu = p.pointAtPercent(0.5), fin = p.pointAtPercent(1);
    EXPECT_NEAR(debut.x(), r.center().x() - 0.46 * r.width(), 1e-6);
    EXPECT_NEAR(fin.x(), r.center().x() + 0.46 * r.width(), 1e-6);
    EXPECT_NEAR(debut.y(), r.center().y() + 0.1 * r.height(), 1e-6);
    EXPECT_LT(milieu.y(), debut.y() - 5);  // y down: the middle is higher
    EXPECT_NEAR(milieu.x(), r.center().x(), 1e-6);
}
