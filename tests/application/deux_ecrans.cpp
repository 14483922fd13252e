// The wheel on a desktop of two screens (run by tests/scripts/deux_ecrans.sh, which gives the
// offscreen platform two screens side by side; skipped on one screen).
#include "Aides.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <gtest/gtest.h>

// Clamped inside the screen under the pointer, whichever it is, never across the seam.
TEST(DeuxEcrans, LaRoueResteSurLEcranSousLePointeur)
{
    const QList<QScreen*> ecrans = QGuiApplication::screens();
    if (ecrans.size() < 2)
        GTEST_SKIP() << "one screen only";
    for (QScreen* ecran : ecrans) {
        const QRect g = ecran->availableGeometry();
        for (const QPoint& pointeur : {QPoint(g.right() - 3, g.bottom() - 3), QPoint(g.left() + 3, g.top() + 3)}) {
            Banc b;
            QCursor::setPos(pointeur);
            ASSERT_EQ(QCursor::pos(), pointeur);
            b.ouvrir();
            const QRect panneau = b.panneau()->geometry();
            EXPECT_TRUE(g.contains(panneau)) << ecran->name().toStdString() << " " << pointeur.x() << "," << pointeur.y();
        }
    }
}
