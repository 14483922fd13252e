#include "application/Icone.h"

#include <QtMath>
#include <gtest/gtest.h>
#include <vector>

namespace {

constexpr double echelle = 4;

// The opacity of the ring at a clock angle (0 at the top, clockwise), on its centre line.
int opacite(const QImage& image, double degres)
{
    const double a = qDegreesToRadians(degres);
    const double x = (Application::Icone::cote / 2.0 + Application::Icone::rayon * std::sin(a)) * echelle;
    const double y = (Application::Icone::cote / 2.0 - Application::Icone::rayon * std::cos(a)) * echelle;
    return qAlpha(image.pixel(int(x), int(y)));
}

} // namespace

// The ring starts at the top and turns clockwise; a job at zero (or nonsense) shows 3 %, never
// more than a full turn; the rest is the faint track.
TEST(Icone, LAnneauCouvreSaFraction)
{
    const struct {
        double fraction;
        std::vector<double> pleins, piste;
    } cas[] = {{0.25, {10, 45, 80}, {120, 180, 270, 330}}, {0, {3}, {60}}, {-1, {3}, {60}},
               {std::nan(""), {3}, {60}}, {7, {15, 60, 105, 150, 195, 240, 285, 330}, {}}};
    for (const auto& c : cas) {
        const QImage i = Application::Icone::anneau(c.fraction, Qt::black, echelle);
        ASSERT_EQ(i.width(), 72);
        for (double d : c.pleins)
            EXPECT_GT(opacite(i, d), 200) << c.fraction << " à " << d;
        for (double d : c.piste) {
            EXPECT_GT(opacite(i, d), 40) << c.fraction << " à " << d;
            EXPECT_LT(opacite(i, d), 90) << c.fraction << " à " << d;
        }
        EXPECT_EQ(qAlpha(i.pixel(36, 36)) + qAlpha(i.pixel(1, 1)), 0);  // nothing inside, nothing in the corners
    }
}

TEST(Icone, LesTroisSymbolesDeLIconeExistentEtSeDistinguent)
{
    QList<QImage> vus;
    for (const char* nom : {"circle.circle", "checkmark.circle.fill", "exclamationmark.circle.fill"}) {
        const QImage i = Application::Icone::symbole(QLatin1String(nom), Qt::white, 2);
        EXPECT_FALSE(i.isNull() || vus.contains(i)) << nom;
        vus << i;
    }
}
