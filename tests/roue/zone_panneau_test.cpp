#include "roue/EtatRoue.h"
#include "roue/PanneauRoue.h"
#include "roue/ZoneDepot.h"

#include <QApplication>
#include <QImage>
#include <gtest/gtest.h>

// Without a compositing manager (the offscreen platform has none) the panel shows what lay
// under it, never a black or empty square.
TEST(PanneauRoue, SansCompositeurLeFondEstLEcran)
{
    QWidget dessous;
    dessous.setAutoFillBackground(true);
    dessous.setPalette(QPalette(Qt::black, QColor(200, 30, 40)));
    dessous.setGeometry(0, 0, 1000, 900);
    dessous.show();
    QApplication::processEvents();

    Roue::EtatRoue etat;
    Roue::PanneauRoue panneau(new Roue::ZoneDepot(etat));
    panneau.move(100, 120);
    panneau.show();
    QApplication::processEvents();
    ASSERT_FALSE(panneau.fond().isNull());
    const QImage image = panneau.grab().toImage();
    for (QPoint p : {QPoint(0, 0), QPoint(639, 0), QPoint(320, 320), QPoint(5, 630)}) {
        const QColor c = image.pixelColor(p);
        EXPECT_EQ(c.alpha(), 255) << p.x() << "," << p.y();
        EXPECT_NEAR(c.red(), 200, 2);
        EXPECT_NEAR(c.green(), 30, 2);
    }
    panneau.hide();
    EXPECT_TRUE(panneau.fond().isNull());
}
