// Blurs: the three-box Gaussian keeps its mass and spread; masked blurs match the long way.
#include "roue/Effets.h"

#include <QPainter>
#include <cmath>
#include <gtest/gtest.h>

TEST(Effets, BlurSpreadsALineAsAGaussianOfTheGivenDeviation)
{
    int colores = 0;
    for (double sigma : {1.2, 3.0, 8.0}) {
        QImage im(201, 101, QImage::Format_ARGB32_Premultiplied);
        im.fill(Qt::transparent);
        for (int y = 0; y < im.height(); ++y)
            im.setPixelColor(100, y, Qt::black);
        const QImage flou = Effets::flouter(im, sigma, QColor(10, 20, 30));
        // Along the middle row: total alpha kept, variance close to sigma².
        double masse = 0, moment = 0;
        for (int x = 0; x < flou.width(); ++x) {
            const double a = flou.pixelColor(x, 50).alphaF();
            masse += a;
            moment += a * (x - 100) * (x - 100);
        }
        EXPECT_NEAR(masse, 1.0, 0.05) << sigma;
        EXPECT_NEAR(std::sqrt(moment / masse), sigma, sigma * 0.15 + 0.2) << sigma;
        // Painted in the given colour (where 8-bit premultiplied alpha leaves enough of it).
        const QColor c = flou.pixelColor(100, 50);
        if (c.alpha() > 60) {
            EXPECT_NEAR(c.red(), 10, 4) << sigma;
            EXPECT_NEAR(c.blue(), 30, 4) << sigma;
            ++colores;
        }
    }
    EXPECT_GE(colores, 1);
}

TEST(Effets, MaskedBlurMatchesBlurThenMask)
{
    QPainterPath cercle;
    cercle.addEllipse(QPointF(320, 320), 184, 184);
    QLinearGradient masque(QPointF(0, 0), QPointF(640, 640));
    masque.setColorAt(0, Qt::white);
    masque.setColorAt(0.4, Qt::transparent);
    const auto peindre = [&](bool masquer) {
        QImage im(640, 640, QImage::Format_ARGB32_Premultiplied);
        im.fill(Qt::transparent);
        QPainter p(&im);
        Effets::Flou f{cercle, 7, Qt::white, 3, std::nullopt};
        if (masquer)
            f.masque = masque;
        Effets::dessiner(p, f);
        if (!masquer) {
            p.setCompositionMode(QPainter::CompositionMode_DestinationIn);
            p.fillRect(im.rect(), masque);
        }
        return im;
    };
    const QImage court = peindre(true), long_ = peindre(false);
    int ecart = 0, visibles = 0;
    for (int y = 0; y < 640; y += 2)
        for (int x = 0; x < 640; x += 2) {
            ecart = std::max(ecart, std::abs(court.pixelColor(x, y).alpha() - long_.pixelColor(x, y).alpha()));
            visibles += court.pixelColor(x, y).alpha() > 20;
        }
    EXPECT_LE(ecart, 3);
    EXPECT_GT(visibles, 200);
    // Only the upper-left of the ring glows.
    EXPECT_GT(court.pixelColor(320 - 130, 320 - 130).alpha(), 40);
    EXPECT_EQ(court.pixelColor(320 + 130, 320 + 130).alpha(), 0);
}
