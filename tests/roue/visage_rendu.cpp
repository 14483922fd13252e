// The face as drawn: its progress ring at the ends of its range, and the failure's eyes.
#include "roue/EtatRoue.h"
#include "roue/Rendu.h"

#include <QImage>
#include <cmath>
#include <gtest/gtest.h>

namespace {

const QColor fond(244, 244, 246);

QImage visage(const std::optional<double>& progression, const std::optional<bool>& fait)
{
    Roue::EtatRoue etat;
    etat.setPetales({Conversions::Petale{QStringLiteral("jpg"), QStringLiteral("JPG"), QStringLiteral("photo"), std::nullopt}});
    etat.setCentre(QString());
    etat.setOuverte(true);
    etat.setProgression(progression);
    etat.setFait(fait);
    return rendre(etat, false, 1.0, fond);
}

// The share of the ring's circle (radius 67 about the centre) drawn in ink.
double partDeLAnneau(const QImage& im)
{
    int encre = 0;
    constexpr int n = 720;
    for (int k = 0; k < n; ++k) {
        const double a = k * 2 * M_PI / n;
        encre += qGray(im.pixel(int(std::lround(320 + 67 * std::sin(a))), int(std::lround(320 - 67 * std::cos(a))))) < 110;
    }
    return double(encre) / n;
}

// The height of the middle of the eyes: the dark pixels above the text's line.
double hauteurDesYeux(const QImage& im)
{
    double somme = 0;
    int n = 0;
    for (int y = 320 - 50; y < 320 + 8; ++y)
        for (int x = 320 - 40; x < 320 + 40; ++x)
            if (qGray(im.pixel(x, y)) < 80) {
                somme += y;
                ++n;
            }
    return n ? somme / n : 0;
}

} // namespace

// A job at 0 still shows 3 % of a turn; past 1 the ring is full, never more.
TEST(Visage, AnneauDe3PourCentAPlein)
{
    EXPECT_EQ(partDeLAnneau(visage(std::nullopt, std::nullopt)), 0);
    const double zero = partDeLAnneau(visage(0.0, std::nullopt));
    EXPECT_GT(zero, 0.02);
    EXPECT_LT(zero, 0.07);  // 3 % and the round caps
    EXPECT_NEAR(partDeLAnneau(visage(0.5, std::nullopt)), 0.5, 0.04);
    EXPECT_GT(partDeLAnneau(visage(1.0, std::nullopt)), 0.98);
    EXPECT_GT(partDeLAnneau(visage(1.7, std::nullopt)), 0.98);
    EXPECT_GT(partDeLAnneau(visage(-0.5, std::nullopt)), 0.02);
}

// The eyes sit 16 points above the centre, 11 after a failure: they droop by 5.
TEST(Visage, LesYeuxTombentDeCinqPointsSurUnEchec)
{
    const double ouverts = hauteurDesYeux(visage(std::nullopt, std::nullopt));
    const double echec = hauteurDesYeux(visage(std::nullopt, false));
    EXPECT_NEAR(ouverts, 320 - 16, 1.0);
    EXPECT_NEAR(echec - ouverts, 5, 0.6);
}
