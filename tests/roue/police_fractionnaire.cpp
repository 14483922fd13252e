// Text sizes keep their fractions: 11.5 is not drawn at 12, nor 8.625 at 9.
#include "roue/Mascotte.h"
#include "roue/VueRoueCouleurs.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

const QString texte = QStringLiteral("Glissez ici vos fichiers");

// The width of the ink of `texte` drawn in `police`.
int encre(const Roue::PoliceRonde& police)
{
    QImage im(400, 60, QImage::Format_ARGB32_Premultiplied);
    im.fill(Qt::white);
    {
        QPainter p(&im);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.setPen(Qt::black);
        police.dessiner(p, QPointF(10, 40), texte);
    }
    int gauche = im.width(), droite = -1;
    for (int y = 0; y < im.height(); ++y)
        for (int x = 0; x < im.width(); ++x)
            if (qGray(im.pixel(x, y)) < 160) {
                gauche = std::min(gauche, x);
                droite = std::max(droite, x);
            }
    return droite - gauche + 1;
}

} // namespace

// Measured and drawn at its own size, between the whole sizes around it.
TEST(PoliceFractionnaire, LesTaillesGardentLeurFraction)
{
    for (double t : {11.5, 8.625, 12.25}) {
        const Roue::PoliceRonde police(t, QFont::Medium);
        const Roue::PoliceRonde bas(std::floor(t), QFont::Medium), haut(std::ceil(t), QFont::Medium);
        EXPECT_GT(police.largeur(texte), bas.largeur(texte)) << t;
        EXPECT_LT(police.largeur(texte), haut.largeur(texte)) << t;
        EXPECT_NEAR(police.largeur(texte) / haut.largeur(texte), t / std::ceil(t), 0.02) << t;
        EXPECT_LT(police.hauteur(), haut.hauteur()) << t;
        const int dessin = encre(police);
        EXPECT_GT(dessin, encre(bas)) << t;
        EXPECT_LT(dessin, encre(haut)) << t;
        EXPECT_NEAR(dessin, police.largeur(texte), 3) << t;
    }
}

// The mascot's text shrinks to exactly three quarters of 11.5 when nothing larger fits.
TEST(PoliceFractionnaire, LaMascotteDescendA8_625)
{
    const QString long_ = QString(QStringLiteral("fichier introuvable ")).repeated(12);
    EXPECT_DOUBLE_EQ(Roue::Mascotte::miseEnPage(long_, 11.5, 102).police.taille(), 8.625);
}
