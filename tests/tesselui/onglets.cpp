// The pill tab bar: where its tabs and pill go, clicks, and its hint after the rest.
#include "ChronoIndice.h"
#include "tesselui/PillTabBar.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QList<PillTabBar::Tab> tabs(int n)
{
    QList<PillTabBar::Tab> t;
    for (int i = 0; i < n; ++i)
        t << PillTabBar::Tab{QStringLiteral("image"), QStringLiteral("Onglet %1").arg(i), QStringLiteral("Détail %1").arg(i)};
    return t;
}

} // namespace

TEST(PillTabBar, LesCasesSePartagentLaBarre)
{
    EXPECT_EQ(PillTabBar::cases(4, {246, 32}),
              (QList<QRectF>{{3, 3, 58.5, 26}, {63.5, 3, 58.5, 26}, {124, 3, 58.5, 26}, {184.5, 3, 58.5, 26}}));
    EXPECT_EQ(PillTabBar::cases(1, {100, 40}), QList<QRectF>{QRectF(3, 3, 94, 34)});
    EXPECT_TRUE(PillTabBar::cases(0, {100, 40}).isEmpty());
    for (const QRectF& r : PillTabBar::cases(3, {0, 0}))
        EXPECT_GE(r.width(), 0);
}

TEST(PillTabBar, UnClicChoisitEtLaPiluleSuit)
{
    PillTabBar barre(tabs(4), true);
    barre.resize(246, 32);
    barre.show();
    QSignalSpy choix(&barre, &PillTabBar::selectionChanged);
    QTest::mouseClick(&barre, Qt::LeftButton, {}, QPoint(150, 16));
    EXPECT_EQ(barre.selection(), 2);
    EXPECT_EQ(choix.size(), 1);
    barre.stabiliser();
    EXPECT_NEAR(barre.pilule()->x(), 124, 0.01);
    // Out of range, or no tab at all: no pill, and painting draws nothing out of place.
    barre.setSelection(9);
    EXPECT_FALSE(barre.pilule());
    barre.repaint();
    PillTabBar vide({}, true);
    vide.show();
    vide.repaint();
    EXPECT_FALSE(vide.pilule());
    QTest::mouseClick(&vide, Qt::LeftButton);
    EXPECT_EQ(vide.selection(), 0);
}

TEST(PillTabBar, LIndiceVientApresLeReposSousLaBarre)
{
    PillTabBar barre(tabs(3), true);
    barre.resize(180, 32);
    barre.show();
    HintPanel& p = HintPanel::shared();
    ChronoIndice chrono;
    chrono.partir();
    QTest::mouseMove(&barre, QPoint(100, 16));
    ASSERT_TRUE(QTest::qWaitFor([&] { return p.montre(); }, 2000));
    EXPECT_GE(chrono.apres, Hint::repos);
    EXPECT_EQ(p.owner(), &barre);
    EXPECT_EQ(p.bulle().title, "Onglet 1");
    EXPECT_EQ(p.width(), 180);  // never wider than the bar
    // The next tab takes the hint over in place.
    QTest::mouseMove(&barre, QPoint(160, 16));
    EXPECT_EQ(p.bulle().title, "Onglet 2");
    QEvent sortie(QEvent::Leave);
    QCoreApplication::sendEvent(&barre, &sortie);
    EXPECT_FALSE(p.montre());
    // Without descriptions, never a hint.
    barre.hide();
    PillTabBar sans(tabs(3), false);
    sans.resize(400, 32);
    sans.show();
    QTest::mouseMove(&sans, QPoint(100, 16));
    QTest::qWait(600);
    EXPECT_FALSE(p.montre());
}
