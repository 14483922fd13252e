// The shapes' paths: which points they hold, for angles and radii taken all around.
#include "roue/Formes.h"

#include <QPainterPath>
#include <gtest/gtest.h>

namespace {

const QRectF carre(0, 0, 640, 640);
const QPointF c(320, 320);

QPointF P(double a, double r) { return Roue::Formes::point(c, a, r); }

// Points at angle offset `da` from `a0` and radius r that `p` must hold (dedans) or leave out.
struct Sonde {
    double da, r;
    bool dedans;
};
void verifier(const QPainterPath& p, double a0, std::initializer_list<Sonde> sondes, const char* cas)
{
    for (const Sonde& s : sondes)
        EXPECT_EQ(p.contains(P(a0 + s.da, s.r)), s.dedans) << cas << " à " << a0 << "+" << s.da << "°, r " << s.r;
}

} // namespace

TEST(Formes, GaletsHoldTheirSectorWithRoundedCorners)
{
    // The arcs must turn clockwise on screen; the sharp corners' tips are left out.
    for (double a : {0.0, 90.0, 200.0, 315.0})
        verifier(Roue::Galet{78, 172, a - 19.6, a + 19.6, 16}.chemin(carre), a,
                 {{0, 125, true}, {-18, 125, true}, {18, 125, true}, {0, 80, true}, {0, 170, true},
                  {12, 160, true}, {0, 75, false}, {0, 175, false}, {21, 125, false}, {-21, 125, false},
                  {180, 125, false}, {19.3, 171, false}, {-19.3, 79, false}},
                 "pétale");
    // A lone petal leaves its gap at the bottom.
    verifier(Roue::Galet{78, 172, -180 + 2.9, 180 - 2.9, 16}.chemin(carre), 0,
             {{0, 125, true}, {120, 125, true}, {170, 125, true}, {-170, 125, true}, {180, 125, false}, {0, 0, false}},
             "seul");
    // A tool cell of 22° in its slot.
    verifier(Roue::Galet{200, 260, 276, 298, 13}.chemin(carre), 287,
             {{0, 230, true}, {-12, 230, false}, {12, 230, false}, {0, 195, false}, {0, 265, false}}, "case");
}

TEST(Formes, WheelIsRoundUntilItsTabGrows)
{
    for (double e : {0.0, 0.02}) {
        const QPainterPath p = Roue::FormeRoue{e, 40, 52}.chemin(carre);
        for (double a = 0; a < 360; a += 15)
            verifier(p, a, {{0, 183, true}, {0, 185, false}}, "cercle");
        EXPECT_NEAR(p.boundingRect().width(), 368, 0.01);
    }
    // Full: up to 272, corners rounded (radius 28), the plain disc beyond its span.
    for (double am : {0.0, 90.0, 288.0})
        verifier(Roue::FormeRoue{1, am, 52}.chemin(carre), am,
                 {{0, 270, true}, {0, 274, false}, {-48, 265, true}, {48, 265, true}, {50.95, 267, false},
                  {-50.95, 267, false}, {48, 262, true}, {70, 200, false}, {70, 182, true}, {180, 190, false}},
                 "onglet");
}

TEST(Formes, SmileArchesUpward)
{
    const QRectF r(100, 200, 15.73, 29.9);
    const QPainterPath p = Roue::Sourire().chemin(r);
    const QPointF debut = p.pointAtPercent(0), milieu = p.pointAtPercent(0.5);
    EXPECT_LT(milieu.y(), debut.y() - 5);  // y down: the middle is higher
    EXPECT_NEAR(milieu.x(), r.center().x(), 1e-6);
}
