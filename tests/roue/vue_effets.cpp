// Blurs: the three-box Gaussian keeps its mass and spread; masked blurs match the long way.
#include "roue/Effets.h"
#include "roue/Formes.h"

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

// The upper-left glow of the wheel: a masked blur must match blurring then masking, and leave
// nothing where the mask is clear, whatever the outline (the tab included) and the scale.
TEST(Effets, MaskedBlurMatchesBlurThenMaskAndLeavesNothingWhereClear)
{
    QLinearGradient masque(QPointF(0, 0), QPointF(640, 640));
    masque.setColorAt(0, Qt::white);
    masque.setColorAt(0.4, Qt::transparent);
    const auto peindre = [&](const QPainterPath& forme, double dpr, bool masquer) {
        QImage im(int(640 * dpr), int(640 * dpr), QImage::Format_ARGB32_Premultiplied);
        im.setDevicePixelRatio(dpr);
        im.fill(Qt::transparent);
        QPainter p(&im);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        Effets::dessiner(p, {forme, 7, Qt::white, 3, masquer ? std::optional(masque) : std::nullopt});
        if (!masquer) {
            p.setCompositionMode(QPainter::CompositionMode_DestinationIn);
            p.fillRect(QRectF(0, 0, 640, 640), masque);
        }
        return im;
    };
    for (double am : {0.0, 90.0, 200.0, 288.0}) {
        const QPainterPath forme = FormeRoue{am == 0 ? 0.0 : 1.0, am, 52}.chemin(QRectF(0, 0, 640, 640));
        const QImage court = peindre(forme, 2, true), long_ = peindre(forme, 2, false);
        int fuites = 0, lumineux = 0, ecart = 0;
        for (int y = 0; y < 1280; ++y)
            for (int x = 0; x < 1280; ++x) {
                const int a = qAlpha(court.pixel(x, y));
                ecart = std::max(ecart, std::abs(a - qAlpha(long_.pixel(x, y))));
                // In points, the mask is clear beyond x + y = 512.
                if ((x + y) / 2.0 > 512 + 2)
                    fuites += a > 0;
                else
                    lumineux += a > 30;
            }
        EXPECT_LE(ecart, 3) << am;
        EXPECT_EQ(fuites, 0) << am;
        EXPECT_GT(lumineux, 1000) << am;
    }
}

TEST(Effets, ColourBlurKeepsUniformAreasAndEvensOutStripes)
{
    QImage uni(60, 40, QImage::Format_ARGB32_Premultiplied);
    uni.fill(QColor(200, 100, 50));
    const QImage flou = Effets::flouterCouleurs(uni, 5);
    // Edges carry on: the corners keep the colour instead of fading.
    for (const QPoint p : {QPoint(0, 0), QPoint(59, 39), QPoint(30, 20)})
        EXPECT_EQ(flou.pixelColor(p).rgba(), QColor(200, 100, 50).rgba()) << p.x();
    QImage rayures(60, 40, QImage::Format_ARGB32_Premultiplied);
    for (int x = 0; x < 60; ++x)
        for (int y = 0; y < 40; ++y)
            rayures.setPixelColor(x, y, (x / 2) % 2 ? Qt::white : Qt::black);
    const QImage lisse = Effets::flouterCouleurs(rayures, 4);
    for (int x = 10; x < 50; ++x)
        EXPECT_NEAR(lisse.pixelColor(x, 20).red(), 128, 12) << x;
}

TEST(Effets, BlurredShapeLandsOnItsShapeAtEveryScale)
{
    // A wide glow is made at half a pixel per point: it must still land where its shape is,
    // on plain and on dense screens, with and without a translation.
    QPainterPath ovale;
    ovale.addEllipse(QPointF(300, 200), 60, 40);
    for (double dpr : {1.0, 2.0})
        for (const QPointF decalage : {QPointF(0, 0), QPointF(-100.5, -50.25)})
            for (double rayon : {2.0, 8.0}) {
                QImage im(int(640 * dpr), int(640 * dpr), QImage::Format_ARGB32_Premultiplied);
                im.setDevicePixelRatio(dpr);
                im.fill(Qt::transparent);
                QPainter p(&im);
                p.translate(decalage);
                Effets::dessiner(p, {ovale, 0, Qt::green, rayon, std::nullopt});
                p.end();
                double sx = 0, sy = 0, sa = 0;
                for (int y = 0; y < im.height(); ++y)
                    for (int x = 0; x < im.width(); ++x) {
                        const double a = qAlpha(im.pixel(x, y));
                        sx += a * (x + 0.5);
                        sy += a * (y + 0.5);
                        sa += a;
                    }
                ASSERT_GT(sa, 0);
                const QPointF attendu = QPointF(300, 200) + decalage;
                EXPECT_NEAR(sx / sa / dpr, attendu.x(), 1) << dpr << " " << rayon;
                EXPECT_NEAR(sy / sa / dpr, attendu.y(), 1) << dpr << " " << rayon;
                // About as much ink as the shape itself (a blur moves it, keeps it).
                EXPECT_NEAR(sa / 255 / (dpr * dpr), 3.14159 * 60 * 40, 3.14159 * 60 * 40 * 0.05) << dpr << " " << rayon;
            }
}
