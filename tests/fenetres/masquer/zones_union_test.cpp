// The mask window's zones on screen: overlapping zones hide the photo where they overlap
// too, and a zone's outline grows in and fades in, then out when it is taken away; its blur
// fades with it.
#include "commun/Attendre.h"
#include "commun/Dossier.h"
#include "commun/Souris.h"
#include "fenetres/commun/FenetreOutil.h"
#include "fenetres/commun/Outils.h"
#include "fenetres/masquer/VueMasquer.h"

#include <QMouseEvent>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

// Fine black and white squares: sharp in the photo, an even grey once blurred.
QString damier(const QString& chemin)
{
    QImage image(900, 600, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, ((x / 3 + y / 3) % 2) ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    image.save(chemin);
    return chemin;
}

// How far the pixels around `p` stray from mid grey, at most: 0 for an even grey, about
// 127 where the squares show.
int ecart(const QImage& image, QPoint p)
{
    int e = 0;
    for (int dy = -3; dy <= 3; ++dy)
        for (int dx = -3; dx <= 3; ++dx)
            e = std::max(e, std::abs(qGray(image.pixel(p + QPoint(dx, dy))) - 128));
    return e;
}

} // namespace

TEST(ZonesMasquees, UnionPeinteEtApparitions)
{
    Dossier d;
    const QString source = damier(d.chemin("damier.png"));
    ASSERT_TRUE(Outils::ouvrir(QStringLiteral("masquer"), source, [](const QString&) {}));
    FenetreOutil* f = FenetreOutil::ouvertes().last();
    auto* vue = f->findChild<VueMasquer*>();
    ASSERT_TRUE(attendre([&] { return !vue->cherche(); }));
    ASSERT_TRUE(vue->zones().isEmpty());  // no text in a chequerboard

    // Two zones that overlap in their middle.
    QWidget& canevas = vue->canevas();
    const Toile t = vue->toile();
    glisser(canevas, t.versEcran({100, 100}), t.versEcran({500, 400}));
    glisser(canevas, t.versEcran({300, 250}), t.versEcran({800, 550}));
    ASSERT_EQ(vue->zones().size(), 2);

    // The outline just added starts small and clear, then grows and shows; its blur too.
    const auto debut = vue->apparences();
    ASSERT_EQ(debut.size(), 2);
    const auto ici = [&](const QImage& image, QPointF photo) {
        return (t.versEcran(photo) * image.devicePixelRatio()).toPoint();
    };
    const QPointF seconde(650, 450);  // in the second zone only, even at 0.6 of its size
    vue->animateurZones().avancer(1.0 / 30);
    {
        const QImage image = canevas.grab().toImage();
        const double o = vue->apparences().last().second;
        EXPECT_NEAR(ecart(image, ici(image, seconde)), (1 - o) * 127, 30) << o;
    }
    double echelle = debut.last().first, opacite = debut.last().second;
    EXPECT_LT(echelle, 1);
    EXPECT_LT(opacite, 1);
    for (int i = 0; i < 8; ++i) {
        vue->animateurZones().avancer(1.0 / 60);
        const auto a = vue->apparences().last();
        EXPECT_GE(a.first, echelle - 1e-9);
        EXPECT_GE(a.second, opacite - 1e-9);
        echelle = a.first;
        opacite = a.second;
    }
    EXPECT_GT(echelle, debut.last().first);
    vue->animateurZones().terminer();
    for (const auto& [e, o] : vue->apparences()) {
        EXPECT_NEAR(e, 1, 1e-6);
        EXPECT_NEAR(o, 1, 1e-6);
    }

    // Painted: blurred grey in each zone and where they overlap; the squares elsewhere.
    const QImage image = canevas.grab().toImage();
    EXPECT_LT(ecart(image, ici(image, {200, 150})), 40);   // first zone only
    EXPECT_LT(ecart(image, ici(image, {700, 500})), 40);   // second zone only
    EXPECT_LT(ecart(image, ici(image, {400, 325})), 40);   // both: still hidden
    EXPECT_GT(ecart(image, ici(image, {700, 150})), 90);   // outside: the photo

    // A click takes the last zone away: its outline shrinks and fades before it goes, and
    // its blur with it.
    glisser(canevas, t.versEcran({700, 500}), t.versEcran({701, 500}));
    ASSERT_EQ(vue->zones().size(), 1);
    ASSERT_EQ(vue->apparences().size(), 2);
    vue->animateurZones().avancer(1.0 / 30);
    const double sortante = vue->apparences().last().second;
    EXPECT_LT(sortante, 1);
    {
        const QImage pendant = canevas.grab().toImage();
        EXPECT_NEAR(ecart(pendant, ici(pendant, seconde)), (1 - sortante) * 127, 30) << sortante;
        EXPECT_LT(ecart(pendant, ici(pendant, {200, 150})), 40);  // the zone that stays
    }
    vue->animateurZones().terminer();
    QCoreApplication::processEvents();
    vue->animateurZones().avancer(1.0 / 60);
    EXPECT_EQ(vue->apparences().size(), 1);
    f->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
