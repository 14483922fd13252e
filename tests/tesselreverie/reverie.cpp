// The Reverie look: colours, faces, skies, the pill button and the tab bar's hint rule.
#include "tesselreverie/BarreOngletsReverie.h"
#include "tesselreverie/BoutonPilule.h"
#include "tesselreverie/Ciel.h"
#include "tesselreverie/Reverie.h"
#include "tesselreverie/ReveriePolices.h"
#include "tesselui/Motion.h"

#include "Palettes.h"

#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

TEST(Reverie, CouleursEtPolices)
{
    EXPECT_EQ(Reverie::teinte(0x18191B, 0xEEF0F6).pour(palette(false)), QColor(24, 25, 27));
    EXPECT_EQ(Reverie::encre().pour(palette(true)), QColor(238, 240, 246));
    EXPECT_EQ(Reverie::surAction().pour(palette(true)), QColor(0x12, 0x14, 0x1C));
    ReveriePolices::inscrire();
    EXPECT_EQ(Reverie::sans(15, 500), Reverie::sans(15, 500));
    EXPECT_EQ(QFontInfo(Reverie::sans(15, 500)).family(), "Instrument Sans");
    EXPECT_EQ(QFontInfo(Reverie::sans(15, 500)).styleName(), "Medium");
    EXPECT_EQ(QFontInfo(Reverie::serif(28)).family(), "Instrument Serif");
}

TEST(Reverie, LeCielSesArretsSaNuitEtSesNuages)
{
    EXPECT_EQ(Ciel::arrets(1), QList<double>{0});
    EXPECT_EQ(Ciel::arrets(3), (QList<double>{0, 0.55, 1}));
    EXPECT_EQ(Ciel::arrets(4), (QList<double>{0, 1 / 3.0, 2 / 3.0, 1}));
    EXPECT_TRUE(Ciel::arrets(0).isEmpty());
    const Ciel a({0x112233, 0x445566}, 1, 2, 0xFFFFFF, 0), b({0x112233, 0x445566}, 1, 2, 0, 0xFFFFFF);
    EXPECT_EQ(a, b);
    EXPECT_EQ(qHash(a), qHash(b));
    EXPECT_FALSE(a == Ciel({0x112233}, 1, 2, 0, 0));
    EXPECT_DOUBLE_EQ(Ciel::rayonLueur({300, 800}), 496);
    EXPECT_DOUBLE_EQ(Ciel::rayonLueurBas({300, 800}), 440);
    const auto jour = FondCiel::nuages({500, 300}, false), nuit = FondCiel::nuages({500, 300}, true);
    EXPECT_NEAR(jour[0].couleur.alphaF(), 0.72, 0.005);
    EXPECT_NEAR(jour[1].couleur.alphaF(), 0.612, 0.005);
    EXPECT_NEAR(nuit[1].couleur.alphaF(), 0.0425, 0.005);
    EXPECT_EQ(jour[0].cadre.center(), QPointF(40, 35));
    EXPECT_EQ(jour[1].cadre, QRectF(335 - 85, 295 - 65, 170, 130));
    // Painted: the day's ends are its first and last colours; empty or zero-sized skies are harmless.
    QImage im(200, 100, QImage::Format_ARGB32);
    QPainter p(&im);
    FondCiel::peindre(p, im.rect(), a, false, false);
    FondCiel::peindre(p, QRectF(0, 0, 0, 0), a, true);
    FondCiel::peindre(p, QRectF(0, 0, 10, 10), Ciel({}, 0, 0, 0, 0), false);
    p.end();
    EXPECT_EQ(QColor(im.pixel(199, 99)).rgb(), QColor(0x44, 0x55, 0x66).rgb());
}

TEST(Reverie, LaPilulePleineIgnoreLeRoleEtLaBlancheLeSuit)
{
    const QPalette clair = palette(false);
    const auto plein = BoutonPilule::couleurs(true, true, clair);
    EXPECT_EQ(plein.texte, Reverie::surAction().pour(clair));
    EXPECT_EQ(plein.fond, Reverie::action().pour(clair));
    const auto blanche = BoutonPilule::couleurs(false, true, clair);
    EXPECT_EQ(blanche.texte, QColor(0xE5, 0x48, 0x4D));
    EXPECT_EQ(blanche.fond, Qt::white);
    EXPECT_NEAR(blanche.bord.alphaF(), 0.1, 0.01);
    EXPECT_EQ(BoutonPilule::couleurs(false, false, clair).texte, Reverie::encre().pour(clair));
    EXPECT_EQ(BoutonPilule::opacite(false), 0.5);
    EXPECT_EQ(BoutonPilule::echelle(true, false), 0.96);
    EXPECT_EQ(BoutonPilule::echelle(true, true), 1);
    // The text is never cut: the button takes its whole width.
    BoutonPilule long_(QString(80, QLatin1Char('m')));
    EXPECT_GT(long_.sizeHint().width(), QFontMetrics(long_.font()).horizontalAdvance(QString(80, QLatin1Char('m'))));
}

TEST(Reverie, LaBarreNeDecritPasLOngletDejaChoisi)
{
    EXPECT_EQ(BarreOngletsReverie::cases({50, 30}), (QList<QRectF>{{3, 3, 74, 28}, {79, 3, 54, 28}}));
    BarreOngletsReverie barre({{"image", "Photo", "Une image"}, {"film", "Vidéo", "Un film"}});
    barre.show();
    HintPanel& p = HintPanel::shared();
    // The first tab is the chosen one: resting on it shows nothing.
    QTest::mouseMove(&barre, QPoint(10, barre.height() / 2));
    QTest::qWait(600);
    EXPECT_FALSE(p.montre());
    QTest::mouseMove(&barre, QPoint(barre.width() - 10, barre.height() / 2));
    ASSERT_TRUE(QTest::qWaitFor([&] { return p.montre(); }, 1000));
    EXPECT_EQ(p.bulle().title, "Vidéo");
    EXPECT_EQ(p.width(), std::min(barre.width(), 240));
    barre.hide();
    EXPECT_FALSE(p.montre());
}
