#include "roue/Geometrie.h"

#include <gtest/gtest.h>
#include <cmath>

using Roue::petale;

TEST(Geometrie, QuatrePetalesAutourDuCentre)
{
    const struct {
        QPointF p;
        std::optional<int> attendu;
    } table[] = {{{320, 438}, 0}, {{438, 320}, 1}, {{320, 202}, 2}, {{202, 320}, 3}, {{320, 320}, std::nullopt}};
    for (const auto& l : table)
        EXPECT_EQ(petale(l.p, 4), l.attendu) << l.p.x() << "," << l.p.y();
}

TEST(Geometrie, LimitesDeLAnneau)
{
    for (double a = 0; a < 360; a += 7.5) {
        EXPECT_EQ(petale(Roue::point(a, 63.99), 5), std::nullopt) << a;
        EXPECT_EQ(petale(Roue::point(a, 202.01), 5), std::nullopt) << a;
        EXPECT_EQ(petale(Roue::point(a, 400), 5), std::nullopt) << a;
        EXPECT_TRUE(petale(Roue::point(a, 64.01), 5).has_value()) << a;
        EXPECT_TRUE(petale(Roue::point(a, 201.99), 5).has_value()) << a;
    }
    // Axis points give exact distances: the limits themselves are outside.
    EXPECT_EQ(petale({320, 384}, 3), std::nullopt);
    EXPECT_EQ(petale({320, 522}, 3), std::nullopt);
    EXPECT_EQ(petale({256, 320}, 3), std::nullopt);
    EXPECT_EQ(petale({320, 384.001}, 3), 0);
    EXPECT_EQ(petale({522, 320}, 4), std::nullopt);
    EXPECT_EQ(petale({521.999, 320}, 4), 1);
}

TEST(Geometrie, SansPetaleRienNEstSousLePointeur)
{
    EXPECT_EQ(petale({320, 438}, 0), std::nullopt);
    EXPECT_EQ(petale({320, 438}, -3), std::nullopt);
    EXPECT_EQ(petale({438, 320}, 1), 0);
}

TEST(Geometrie, HuitPetales)
{
    EXPECT_EQ(Roue::indexAngle(22.5, 8), 1);
    EXPECT_EQ(Roue::indexAngle(22.4, 8), 0);
    EXPECT_EQ(Roue::indexAngle(350, 8), 0);
    EXPECT_EQ(petale(Roue::point(22.4, 120), 8), 0);
    EXPECT_EQ(petale(Roue::point(22.6, 120), 8), 1);
    EXPECT_EQ(petale(Roue::point(350, 120), 8), 0);
    EXPECT_EQ(petale(Roue::point(337.6, 120), 8), 0);
    EXPECT_EQ(petale(Roue::point(337.4, 120), 8), 7);
}

// Every boundary, for every count of petals, belongs to the next petal clockwise, and each
// petal owns the angles around its centre.
TEST(Geometrie, FrontieresPourToutNombre)
{
    for (int n = 1; n <= 13; ++n) {
        const double pas = 360.0 / n;
        for (int i = 0; i < n; ++i) {
            const double frontiere = std::fmod(i * pas - pas / 2 + 360, 360);
            // Exact boundaries where the step is a whole number of degrees.
            if (360 % n == 0) {
                EXPECT_EQ(Roue::indexAngle(frontiere, n), i) << n << " " << i;
            }
            EXPECT_EQ(petale(Roue::point(i * pas, 150), n), i) << n << " " << i;
            if (n > 1) {
                EXPECT_EQ(petale(Roue::point(frontiere + 0.01, 100), n), i) << n << " " << i;
                EXPECT_EQ(petale(Roue::point(frontiere - 0.01, 100), n), (i + n - 1) % n) << n << " " << i;
            }
        }
    }
}

TEST(Geometrie, AnglesEtDifferences)
{
    EXPECT_DOUBLE_EQ(Roue::angle({320, 500}), 0);
    EXPECT_DOUBLE_EQ(Roue::angle({500, 320}), 90);
    EXPECT_DOUBLE_EQ(Roue::angle({320, 100}), 180);
    EXPECT_DOUBLE_EQ(Roue::angle({100, 320}), 270);
    EXPECT_DOUBLE_EQ(Roue::angdiff(10, 350), 20);
    EXPECT_DOUBLE_EQ(Roue::angdiff(350, 10), -20);
    EXPECT_DOUBLE_EQ(Roue::angdiff(0, 180), -180);
    for (double x = -720; x <= 720; x += 37.25)
        for (double y = -400; y <= 400; y += 53.5) {
            const double d = Roue::angdiff(x, y);
            EXPECT_GE(d, -180);
            EXPECT_LT(d, 180);
            EXPECT_NEAR(std::remainder(x - y - d, 360), 0, 1e-9);
        }
}

TEST(Geometrie, CasesDOutils)
{
    // "Modifier" at 300: slots from 248 to 352, centres 261, 287, 313, 339.
    for (int k = 0; k < 4; ++k) {
        EXPECT_DOUBLE_EQ(Roue::angleCase(k, 300), 261 + 26 * k);
        EXPECT_EQ(Roue::indexCase(Roue::angleCase(k, 300), 300), k);
    }
    EXPECT_EQ(Roue::indexCase(248, 300), 0);
    EXPECT_EQ(Roue::indexCase(247.9, 300), -1);
    EXPECT_EQ(Roue::indexCase(352, 300), 4);
    // Across the top: "Modifier" at 0 puts slot 0 at 308..334 and slot 3 at 26..52.
    EXPECT_EQ(Roue::indexCase(310, 0), 0);
    EXPECT_EQ(Roue::indexCase(30, 0), 3);
}
