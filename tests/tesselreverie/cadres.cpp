// The Reverie containers and controls as they are painted: rounded sky frames, 44-pixel
// pills, tab names whole, and painted tabs that screen readers can name.
#include "tesselreverie/BarreOngletsReverie.h"
#include "tesselreverie/BoutonPilule.h"
#include "tesselreverie/Ciel.h"
#include "tesselreverie/Reverie.h"
#include "tesselui/Vavirud.h"

#include "Palettes.h"

#include <QAccessible>
#include <QFontMetricsF>
#include <QLabel>
#include <QTest>
#include <memory>
#include <gtest/gtest.h>

namespace {

// The widget painted alone on a transparent image.
QImage peint(QWidget& w)
{
    QImage im(w.size(), QImage::Format_ARGB32_Premultiplied);
    im.fill(Qt::transparent);
    w.render(&im, QPoint(), QRegion(), QWidget::DrawChildren);
    return im;
}

} // namespace

TEST(CadresReverie, LEncadreMontreSesCoinsArrondisEnClairEtEnSombre)
{
    for (bool sombre : {false, true}) {
        EncadreReverie e(Ciel({0xBFD9FF, 0xE9E0FF, 0xFFE3EC}, 0x6C8CFF, 0xC58CFF, 0xE9E0FF, 0x1D2333), nullptr, 80);
        e.setPalette(palette(sombre));
        e.resize(300, 80);
        const QImage im = peint(e);
        // Radius 28: the corners are left empty, the sky fills the middle of every edge.
        for (QPoint coin : {QPoint(1, 1), QPoint(298, 1), QPoint(1, 78), QPoint(298, 78), QPoint(5, 5)})
            EXPECT_EQ(im.pixelColor(coin).alpha(), 0) << sombre << " " << coin.x() << "," << coin.y();
        for (QPoint bord : {QPoint(150, 0), QPoint(150, 79), QPoint(0, 40), QPoint(299, 40), QPoint(28, 28)})
            EXPECT_EQ(im.pixelColor(bord).alpha(), 255) << sombre << " " << bord.x() << "," << bord.y();
    }
    // A plain sky view still fills its whole rectangle.
    VueCiel v(Ciel({0xBFD9FF, 0xFFE3EC}, 0, 0, 0, 0), false);
    v.resize(60, 30);
    EXPECT_EQ(peint(v).pixelColor(0, 0).alpha(), 255);
}

TEST(CadresReverie, LaPiluleFaitQuaranteQuatrePixelsDeHaut)
{
    for (BoutonPilule* b : {BoutonPilule::pilule(QStringLiteral("Enregistrer")), BoutonPilule::piluleBlanche(QStringLiteral("Annuler"))}) {
        std::unique_ptr<BoutonPilule> garde(b);
        b->setPalette(palette(false));
        EXPECT_EQ(b->sizeHint().height(), 46);  // 44 painted, one pixel of inset on each side
        b->resize(b->sizeHint());
        const QImage im = peint(*b);
        const int x = b->width() / 2;
        int haut = im.height(), bas = -1;
        for (int y = 0; y < im.height(); ++y)
            if (im.pixelColor(x, y).alpha() > 128) {
                haut = std::min(haut, y);
                bas = std::max(bas, y);
            }
        EXPECT_EQ(bas - haut + 1, 44) << b->text().toStdString();
    }
}

TEST(CadresReverie, LesNomsDesOngletsNeSontJamaisCoupes)
{
    const QString long_ = QStringLiteral("Enregistrements sonores de la semaine dernière, en entier");
    BarreOngletsReverie barre({{QStringLiteral("photo"), QStringLiteral("Photo"), QStringLiteral("Une image")},
                               {QStringLiteral("waveform"), long_, QStringLiteral("Un son")}});
    barre.setPalette(palette(false));
    barre.resize(barre.sizeHint());
    const double nom = QFontMetricsF(Vavirud::texte(13, 500)).horizontalAdvance(long_);
    const QRectF c = barre.caseA(1);
    EXPECT_GE(c.width(), nom + 16 + 7 + 24);
    EXPECT_GE(barre.width(), c.right() + 3);
    // The last letters are painted: ink near the tab's right padding.
    barre.stabiliser();
    const QImage im = peint(barre);
    const QColor fond = Reverie::papier().pour(barre.palette());
    int encre = 0;
    for (int x = int(c.right()) - 12 - 10; x < int(c.right()) - 12; ++x)
        for (int y = int(c.top()) + 6; y < int(c.bottom()) - 6; ++y)
            encre += std::abs(im.pixelColor(x, y).lightness() - fond.lightness()) > 60;
    EXPECT_GT(encre, 5);
}

TEST(CadresReverie, LesOngletsReverieSontDesOngletsPourLesLecteursDEcran)
{
    BarreOngletsReverie barre({{QStringLiteral("photo"), QStringLiteral("Photo"), QStringLiteral("Une image")},
                               {QStringLiteral("film"), QStringLiteral("Vidéo"), QStringLiteral("Un film")}});
    barre.show();
    QAccessibleInterface* liste = QAccessible::queryAccessibleInterface(&barre);
    ASSERT_TRUE(liste);
    EXPECT_EQ(liste->role(), QAccessible::PageTabList);
    ASSERT_EQ(liste->childCount(), 2);
    QAccessibleInterface* video = liste->child(1);
    EXPECT_EQ(video->role(), QAccessible::PageTab);
    EXPECT_EQ(video->text(QAccessible::Name), "Vidéo");
    EXPECT_EQ(video->text(QAccessible::Description), "Un film");
    EXPECT_TRUE(liste->child(0)->state().selected);
    EXPECT_FALSE(video->state().selected);
    barre.setSelection(1);
    EXPECT_TRUE(video->state().selected);
    barre.hide();
    EXPECT_TRUE(video->state().invisible);
}
