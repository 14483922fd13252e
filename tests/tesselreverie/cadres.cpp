// The Reverie containers and controls as they are painted: rounded sky frames (their content
// too), 44-pixel pills with their icon, tab names whole, and painted tabs that screen readers
// can name.
#include "tesselreverie/BarreOngletsReverie.h"
#include "tesselreverie/BoutonPilule.h"
#include "tesselreverie/Ciel.h"
#include "tesselreverie/Reverie.h"
#include "tesselui/Vavirud.h"

#include "Palettes.h"

#include <QAccessible>
#include <QFontMetricsF>
#include <QIcon>
#include <QLayout>
#include <QPixmap>
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

TEST(CadresReverie, LEncadreArronditAussiLEnfantQuiLeRemplit)
{
    // A picture that reaches every edge, at scale 1 and 2, in both appearances.
    for (double echelle : {1.0, 2.0})
        for (bool sombre : {false, true}) {
            auto* image = new QWidget;
            image->setAutoFillBackground(true);
            QPalette vert;
            vert.setColor(QPalette::Window, QColor(0x2E, 0x8B, 0x57));
            image->setPalette(vert);
            image->setFixedSize(200, 80);
            EncadreReverie e(Ciel({0xBFD9FF, 0xFFE3EC}, 0x6C8CFF, 0xC58CFF, 0xE9E0FF, 0x1D2333), image, 80);
            e.setPalette(palette(sombre));
            e.resize(200, 80);
            e.layout()->activate();
            QImage im(QSize(200, 80) * echelle, QImage::Format_ARGB32_Premultiplied);
            im.setDevicePixelRatio(echelle);
            im.fill(Qt::transparent);
            e.render(&im, QPoint(), QRegion(), QWidget::DrawChildren);
            const auto px = [&](double x, double y) { return im.pixelColor(int(x * echelle), int(y * echelle)); };
            const std::string cas = std::to_string(echelle) + (sombre ? " sombre" : " clair");
            // Radius 28: nothing in the corners, the picture along every edge's middle.
            for (QPointF coin : {QPointF(1, 1), QPointF(198.5, 1), QPointF(1, 78.5), QPointF(198.5, 78.5), QPointF(5, 5)})
                EXPECT_EQ(px(coin.x(), coin.y()).alpha(), 0) << cas << " " << coin.x() << "," << coin.y();
            for (QPointF bord : {QPointF(100, 0), QPointF(100, 79.5), QPointF(0, 40), QPointF(199.5, 40)})
                EXPECT_EQ(px(bord.x(), bord.y()), QColor(0x2E, 0x8B, 0x57)) << cas << " " << bord.x() << "," << bord.y();
            // The rounding is smooth: along the corner's diagonal some pixel is only partly covered.
            int partiels = 0;
            for (int d = 0; d < int(20 * echelle); ++d) {
                const int a = im.pixelColor(d, d).alpha();
                partiels += a > 0 && a < 255;
            }
            EXPECT_GT(partiels, 0) << cas;
        }
}

TEST(CadresReverie, LaPiluleMontreLIconeQuOnLuiDonne)
{
    QImage carre(32, 32, QImage::Format_ARGB32_Premultiplied);
    carre.fill(Qt::black);
    for (bool plein : {true, false}) {
        BoutonPilule b(QStringLiteral("Enregistrer"), plein);
        b.setPalette(palette(false));
        const int sans = b.sizeHint().width();
        b.setIcon(QIcon(QPixmap::fromImage(carre)));
        // The icon, as tall as the text, comes 6 before the title: the pill grows by as much.
        EXPECT_NEAR(b.sizeHint().width(), sans + 15 + 6, 1);
        b.resize(b.sizeHint());
        const QImage im = peint(b);
        // The icon's middle, 20 from the pill's left edge plus half its side, is painted in the
        // text's colour (the icon is tinted like the title).
        const QColor texte = BoutonPilule::couleurs(plein, false, b.palette()).texte;
        const QColor vu = im.pixelColor(1 + 20 + 7, b.height() / 2);
        EXPECT_LE(std::abs(vu.red() - texte.red()) + std::abs(vu.green() - texte.green()) + std::abs(vu.blue() - texte.blue()), 6)
            << plein;
    }
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
