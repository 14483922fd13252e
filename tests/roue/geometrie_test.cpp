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
    EXPECT_EQ(petale({320, 438}, 0), std::nullopt);
    EXPECT_EQ(petale({438, 320}, 1), 0);
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

