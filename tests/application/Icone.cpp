#include "application/Icone.h"

#include <QtMath>
#include <gtest/gtest.h>

namespace {

constexpr double echelle = 4;

// The opacity of the ring at a clock angle (0 at the top, clockwise), on its centre line.
int opacite(const QImage& image, double degres)
{
    const double a = qDegreesToRadians(degres);
    const double x = (Icone::cote / 2.0 + Icone::rayon * std::sin(a)) * echelle;
    const double y = (Icone::cote / 2.0 - Icone::rayon * std::cos(a)) * echelle;
    return qAlpha(image.pixel(int(x), int(y)));
}

} // namespace

TEST(Icone, LAnneauPartDuHautEtTourneDansLeSensDesAiguilles)
{
    const QImage i = Icone::anneau(0.25, Qt::black, echelle);
    ASSERT_EQ(i.width(), 72);
    EXPECT_GT(opacite(i, 10), 240);
    EXPECT_GT(opacite(i, 45), 240);
    EXPECT_GT(opacite(i, 80), 240);
    // The rest is the faint track.
    for (double d : {120.0, 180.0, 270.0, 330.0}) {
        EXPECT_GT(opacite(i, d), 40) << d;
        EXPECT_LT(opacite(i, d), 90) << d;
    }
    // Nothing inside the ring, nothing in the corners.
    EXPECT_EQ(qAlpha(i.pixel(36, 36)), 0);
    EXPECT_EQ(qAlpha(i.pixel(1, 1)), 0);
}

TEST(Icone, UnTravailAZeroMontreTroisPourCent)
{
    for (double f : {0.0, -1.0, std::nan("")}) {
        const QImage i = Icone::anneau(f, Qt::black, echelle);
        EXPECT_GT(opacite(i, 3), 200) << f;
        EXPECT_LT(opacite(i, 60), 90) << f;
    }
}

TEST(Icone, UnTourCompletAuPlus)
{
    const QImage i = Icone::anneau(7, Qt::black, echelle);
    for (double d = 15; d < 360; d += 45)
        EXPECT_GT(opacite(i, d), 240) << d;
}

TEST(Icone, LesTroisSymbolesDeLIconeExistentEtSeDistinguent)
{
    QList<QImage> vus;
    for (const char* nom : {"circle.circle", "checkmark.circle.fill", "exclamationmark.circle.fill"}) {
        const QImage i = Icone::symbole(QLatin1String(nom), Qt::white, 2);
        ASSERT_FALSE(i.isNull()) << nom;
        EXPECT_EQ(i.size(), QSize(36, 36));
        EXPECT_FALSE(vus.contains(i)) << nom;
        vus << i;
    }
}
