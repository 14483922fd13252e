#include "roue/Geometrie.h"

#include <gtest/gtest.h>
#include <cmath>

using Roue::petale;

// Wheel coordinates, y up: petal 0 at the top, then clockwise. The ring's limits (64 and 202)
// are outside it; the hole and a wheel without petals hit nothing.
TEST(Geometrie, PointsEtLimitesDeLAnneau)
{
    const struct {
        QPointF p;
        int n;
        std::optional<int> attendu;
    } table[] = {{{320, 438}, 4, 0},   {{438, 320}, 4, 1},         {{320, 320}, 4, {}}, {{320, 438}, 0, {}},
                 {{438, 320}, 1, 0},   {{320, 384}, 3, {}},        {{320, 384.001}, 3, 0},
                 {{522, 320}, 4, {}},  {{521.999, 320}, 4, 1}};
    for (const auto& l : table)
        EXPECT_EQ(petale(l.p, l.n), l.attendu) << l.p.x() << "," << l.p.y() << " sur " << l.n;
    for (double a = 0; a < 360; a += 7.5)
        for (double r : {63.99, 64.01, 201.99, 202.01, 400.0})
            EXPECT_EQ(petale(Roue::point(a, r), 5).has_value(), r > 64 && r < 202) << a << " " << r;
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
