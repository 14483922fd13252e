// The crop frame on a picture smaller than the minimum side: after « Carré » then « Libre »,
// dragging an edge's handle inwards keeps the frame, as drawn, inside the picture.
#include "commun/Attendre.h"
#include "commun/Dossier.h"
#include "commun/Souris.h"
#include "fenetres/commun/Boutons.h"
#include "fenetres/commun/ChoixPilules.h"
#include "fenetres/commun/Entete.h"
#include "fenetres/commun/FenetreOutil.h"
#include "fenetres/commun/Outils.h"
#include "fenetres/commun/Pilule.h"
#include "fenetres/rogner/VueRogner.h"
#include "fenetres/rogner/modele/Cadre.h"

#include <QAbstractButton>
#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

namespace {

std::string texte(const QRectF& r)
{
    return "(" + std::to_string(r.x()) + ", " + std::to_string(r.y()) + ", " + std::to_string(r.width()) + ", "
           + std::to_string(r.height()) + ")";
}

// The white of the handles (the window behind is a little grey) drawn farther than `marge` outside `photo`.
int blancDehors(QWidget& toile, const QRectF& photo, double marge)
{
    const QImage image = toile.grab().toImage();
    const QRectF permis = photo.adjusted(-marge, -marge, marge, marge);
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 250 && c.green() > 250 && c.blue() > 250 && !permis.contains(QPointF(x + 0.5, y + 0.5)))
                ++n;
        }
    return n;
}

} // namespace

TEST(CadreSurPetiteImage, LesPoigneesLeGardentDansLImage)
{
    Dossier d;
    const struct {
        QSize taille;
        const char* poignee;
        QPointF pousse;  // inwards, in screen points
    } cas[] = {
        {{3, 2}, "g", {100, 0}},   // the left edge to the right
        {{2, 3}, "h", {0, 100}},   // the top edge down
        {{3, 2}, "hg", {80, 40}},  // the top-left corner inwards
    };
    for (const auto& c : cas) {
        QImage image(c.taille, QImage::Format_RGB32);
        image.fill(qRgb(60, 110, 150));
        const QString source = d.chemin(QStringLiteral("minuscule-%1x%2.png").arg(c.taille.width()).arg(c.taille.height()));
        ASSERT_TRUE(image.save(source));
        ASSERT_TRUE(Outils::ouvrir(QStringLiteral("recadrer"), source, [](const QString&) {}));
        FenetreOutil* fenetre = FenetreOutil::ouvertes().last();
        auto* vue = fenetre->findChild<VueRogner*>();
        ASSERT_TRUE(attendre([&] { return vue->chargee(); }));
        fenetre->show();
        ChoixPilules* formats = vue->findChild<ChoixPilules*>();
        QTest::mouseClick(&formats->option(1), Qt::LeftButton);  // « Carré »
        QTest::mouseClick(&formats->option(0), Qt::LeftButton);  // « Libre »
        ASSERT_EQ(vue->format(), 0);
        QTest::qWait(1200);  // the frame's spring to its new place
        const QRectF avant = vue->cadre();
        ASSERT_LT(std::min(avant.width(), avant.height()), Cadre::coteMinimum(QSizeF(c.taille)));

        QWidget& toile = vue->canevas();
        const QSizeF taille(c.taille);
        const double s = Cadre::echelle(toile.size(), taille);
        const QPointF o = Cadre::origine(toile.size(), taille, s);
        const QRectF R(o + s * avant.topLeft(), s * avant.size());
        const auto poignee = Cadre::depuisBrut(QLatin1String(c.poignee));
        ASSERT_TRUE(poignee);
        const QPointF depart = Cadre::centre(*poignee, R);
        ASSERT_EQ(Cadre::sous(depart, R), poignee) << c.poignee;
        glisser(toile, depart, depart + c.pousse);
        QCoreApplication::processEvents();

        const QRectF apres = vue->cadre();
        const QRectF tout(QPointF(0, 0), taille);
        EXPECT_TRUE(tout.contains(apres)) << c.poignee << ": " << texte(apres);
        EXPECT_EQ(apres, avant) << c.poignee << ": an edge pushed inwards moved a frame at its smallest: " << texte(avant)
                                << " → " << texte(apres);
        // As drawn: no white of the frame or of its handles off the picture, beyond the
        // handles' own thickness and shadow.
        const QRectF photo(o, s * taille);
        EXPECT_EQ(blancDehors(toile, photo, 4), 0) << c.poignee;
        const QSize region = Cadre::region(apres, c.taille).size();
        EXPECT_EQ(vue->entete().pastille(), QStringLiteral("%1 × %2 px").arg(region.width()).arg(region.height()));
        fenetre->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// « Carré », « 4:5 », « 9:16 », then « 16:9 » on a picture of one pixel, or one row: the badge
// never reads a side of nothing, and « Rogner » writes what it reads, under the output's name.
TEST(CadreSurPetiteImage, UnPixelAuMoinsDeChaqueCote)
{
    Dossier d;
    const struct {
        QSize taille;
        const char* pastille;
    } cas[] = {{{1, 1}, "1 × 1 px"}, {{500, 1}, "2 × 1 px"}};
    for (const auto& c : cas) {
        QImage image(c.taille, QImage::Format_RGB32);
        image.fill(qRgb(200, 60, 30));
        const QString base = QStringLiteral("t%1x%2").arg(c.taille.width()).arg(c.taille.height());
        ASSERT_TRUE(image.save(d.chemin(base + QStringLiteral(".png"))));
        QStringList finis;
        ASSERT_TRUE(Outils::ouvrir(QStringLiteral("recadrer"), d.chemin(base + QStringLiteral(".png")),
                                   [&](const QString& f) { finis << f; }));
        FenetreOutil* fenetre = FenetreOutil::ouvertes().last();
        auto* vue = fenetre->findChild<VueRogner*>();
        ASSERT_TRUE(attendre([&] { return vue->chargee(); }));
        fenetre->show();
        ChoixPilules* formats = vue->findChild<ChoixPilules*>();
        for (int f : {1, 2, 3, 4})
            QTest::mouseClick(&formats->option(f), Qt::LeftButton);
        EXPECT_EQ(vue->entete().pastille(), QString::fromUtf8(c.pastille));
        vue->boutons().confirmation().click();
        ASSERT_TRUE(attendre([&] { return !finis.isEmpty() || !vue->erreur().isEmpty(); }));
        ASSERT_EQ(finis, QStringList{d.chemin(base + QStringLiteral(" (rognée).png"))}) << vue->erreur().toStdString();
        QString largeur, hauteur;
        executer("vipsheader", {"-f", "width", finis[0]}, &largeur);
        executer("vipsheader", {"-f", "height", finis[0]}, &hauteur);
        EXPECT_EQ(QStringLiteral("%1 × %2 px").arg(largeur.trimmed(), hauteur.trimmed()), QString::fromUtf8(c.pastille));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}
