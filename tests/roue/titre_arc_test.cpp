// The tools arc's title capsule covers no tool, whatever the angle of the "Modifier" petal.
#include "roue/Formes.h"
#include "roue/Retouche.h"
#include "roue/TitreArc.h"
#include "roue/VueRoueCouleurs.h"
#include "roue/VueRoueEtiquette.h"

#include <QPainterPath>
#include <cmath>
#include <gtest/gtest.h>

namespace {

constexpr double T = 640;
const QPointF c(T / 2, T / 2);

QSizeF taille(const Roue::Retouche& offre)
{
    return {Roue::PoliceRonde(11, QFont::DemiBold).largeur(offre.etiquette()) + 18, 18};
}

QList<QRectF> etiquettes(const Roue::Retouche& offre, double am)
{
    QList<QRectF> l;
    for (int k = 0; k < offre.outils.size(); ++k)
        l << Roue::Etiquette::cadre(offre.outils[k].titre, Roue::Formes::point(c, am - 52 + 26 * k + 13, 230));
    return l;
}

bool couvre(const QRectF& capsule, const Roue::Retouche& offre, double am)
{
    for (const QRectF& e : etiquettes(offre, am))
        if (e.intersects(capsule))
            return true;
    for (int k = 0; k < 4; ++k) {
        const double bk = am - 52 + 26 * k;
        if (Roue::Galet{200, 260, bk + 2, bk + 24, 13}.chemin(QRectF(0, 0, T, T)).intersects(capsule))
            return true;
    }
    return Roue::Galet{78, 172, 0, 359.9, 16}.chemin(QRectF(0, 0, T, T)).intersects(capsule);
}

} // namespace

// "Modifier" is the last petal: for n petals it sits at 360·(n − 1)/n. Both offers, with and
// without their application (the title changes length), every ring size.
TEST(TitreArc, NeCouvreAucunOutil)
{
    for (const Roue::Retouche& offre : {Roue::Retouche::offrePDF(), Roue::Retouche::offrePDF(QStringLiteral("/x.desktop")),
                                  Roue::Retouche::offreImage(), Roue::Retouche::offreImage(QStringLiteral("/y.desktop"))}) {
        for (int n = 2; n <= 12; ++n) {
            const double am = 360.0 * (n - 1) / n;
            const QRectF r = Roue::TitreArc::placer(T, am, taille(offre), etiquettes(offre, am));
            EXPECT_FALSE(couvre(r, offre, am)) << offre.etiquette().toStdString() << " n=" << n;
            EXPECT_TRUE(QRectF(0, 0, T, T).contains(r)) << n;
            // Still the arc's title: beside the tab, within the span of its tools.
            const QPointF v = r.center() - c;
            const double angle = std::atan2(v.x(), -v.y()) * 180 / M_PI;
            EXPECT_LT(std::abs(std::remainder(angle - am, 360.0)), 60) << n;
        }
    }
}

// The fault it mends: a PDF's six petals put "Modifier" at 300°, where the title straight
// beyond the tab covered the first letter of « Caviarder ».
TEST(TitreArc, CaviarderResteLisible)
{
    const Roue::Retouche offre = Roue::Retouche::offrePDF();
    const double am = 300;
    const QSizeF t = taille(offre);
    const QPointF voulu = Roue::Formes::point(c, am, Roue::TitreArc::rayonVoulu);
    const QRectF aLaPlaceVoulue(voulu.x() - t.width() / 2, voulu.y() - t.height() / 2, t.width(), t.height());
    const QRectF caviarder = etiquettes(offre, am)[2];
    ASSERT_EQ(offre.outils[2].titre, QStringLiteral("Caviarder"));
    EXPECT_TRUE(aLaPlaceVoulue.intersects(caviarder));
    EXPECT_FALSE(Roue::TitreArc::placer(T, am, t, etiquettes(offre, am)).intersects(caviarder));
}
