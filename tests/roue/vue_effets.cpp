// Blurs: masked blurs match the long way, glows land on their shapes with their ink and colour.
#include "roue/Effets.h"
#include "roue/Formes.h"

#include <QPainter>
#include <cmath>
#include <gtest/gtest.h>

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
        Roue::Effets::dessiner(p, {forme, 7, Qt::white, 3, masquer ? std::optional(masque) : std::nullopt});
        if (!masquer) {
            p.setCompositionMode(QPainter::CompositionMode_DestinationIn);
            p.fillRect(QRectF(0, 0, 640, 640), masque);
        }
        return im;
    };
    for (double am : {0.0, 90.0, 200.0, 288.0}) {
        const QPainterPath forme = Roue::FormeRoue{am == 0 ? 0.0 : 1.0, am, 52}.chemin(QRectF(0, 0, 640, 640));
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

TEST(Effets, ColourBlurKeepsUniformAreasToTheEdges)
{
    QImage uni(60, 40, QImage::Format_ARGB32_Premultiplied);
    uni.fill(QColor(200, 100, 50));
    // Edges carry on: the corners keep the colour instead of fading.
    for (const QPoint p : {QPoint(0, 0), QPoint(59, 39), QPoint(30, 20)})
        EXPECT_EQ(Roue::Effets::flouterCouleurs(uni, 5).pixelColor(p).rgba(), QColor(200, 100, 50).rgba()) << p.x();
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
                Roue::Effets::dessiner(p, {ovale, 0, QColor(10, 200, 30), rayon, std::nullopt});
                p.end();
                const QColor c = im.pixelColor((QPointF(300, 200) + decalage).toPoint() * dpr);
                EXPECT_EQ(c.rgb(), QColor(10, 200, 30).rgb()) << dpr << " " << rayon;
                double sx = 0, sy = 0, sa = 0;
                for (int y = 0; y < im.height(); ++y)
                    for (int x = 0; x < im.width(); ++x) {
                        const double a = qAlpha(im.pixel(x, y));
                        sx += a * (x + 0.5);
                        sy += a * (y + 0.5);
                        sa += a;
                    }
                ASSERT_GT(sa, 0);
                EXPECT_NEAR(sx / sa / dpr, 300 + decalage.x(), 1) << dpr << " " << rayon;
                EXPECT_NEAR(sy / sa / dpr, 200 + decalage.y(), 1) << dpr << " " << rayon;
                // About as much ink as the shape itself (a blur moves it, keeps it).
                EXPECT_NEAR(sa / 255 / (dpr * dpr), 3.14159 * 60 * 40, 3.14159 * 60 * 40 * 0.05) << dpr << " " << rayon;
            }
}
