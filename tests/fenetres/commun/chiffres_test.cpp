// Digits that do not dance: steady widths at fractional sizes, a badge that counts to its
// new number, and a text that replaces another only once the old one has gone.
#include "fenetres/commun/Chiffres.h"
#include "fenetres/commun/Entete.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

// Columns of `image` that hold ink.
int encre(const QImage& image)
{
    int n = 0;
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y)
            if (qAlpha(image.pixel(x, y)) > 0) {
                ++n;
                break;
            }
    return n;
}

} // namespace

TEST(Chiffres, CellulesEgalesEtTaillesFractionnaires)
{
    const Chiffres c(12.5);
    // Every digit takes the widest digit's cell, whatever the face gives "1" and "8".
    EXPECT_DOUBLE_EQ(c.largeur("1111"), c.largeur("8888"));
    EXPECT_DOUBLE_EQ(c.largeur("0:01,1"), c.largeur("9:58,8"));
    QFont f;
    f.setPixelSize(100);
    const QFontMetricsF m(f);
    double large = 0;
    for (char d = '0'; d <= '9'; ++d)
        large = std::max(large, m.horizontalAdvance(QLatin1Char(d)));
    // 12.5 is drawn as such, not rounded to 12 or 13: the cell follows the size.
    EXPECT_NEAR(c.cellule(), large * 12.5 / 100, 0.2);
    EXPECT_LT(Chiffres(12).cellule(), c.cellule());
    EXPECT_LT(c.cellule(), Chiffres(13).cellule());

    // Painted: "1" sits in the middle of its cell, so "11" spans more than one "1" does
    // alone, and less than two cells.
    const auto peint = [&c](const QString& texte) {
        QImage image(200, 40, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setPen(Qt::black);
        c.dessiner(p, QPointF(10, 25), texte);
        p.end();
        return encre(image);
    };
    const int un = peint("1");
    EXPECT_GT(un, 0);
    EXPECT_GT(peint("1 1"), un);
}

TEST(Entete, LeNombreCompteEtLesTextesNeSeChevauchentPas)
{
    Entete e("Rogner photo.jpg", "");
    e.resize(588, e.sizeHint().height());
    // Before the size is known there is no badge at all.
    EXPECT_EQ(e.cadrePastille().width(), 0);
    EXPECT_TRUE(e.couches().isEmpty());
    e.setPastille("4000 × 3000 px");  // the first text shows at once
    ASSERT_EQ(e.couches().size(), 1);
    EXPECT_EQ(e.couches()[0].texte, "4000 × 3000 px");

    // A new size counts: one text at every step, its numbers moving steadily to the new ones.
    e.setPastille("3000 × 3000 px");
    static const QRegularExpression forme("^(\\d+) × (\\d+) px$");
    int precedent = 4000, etapes = 0;
    while (e.animateur().actif() && etapes < 200) {
        e.animateur().avancer(1.0 / 60);
        ++etapes;
        const auto c = e.couches();
        ASSERT_EQ(c.size(), 1);
        EXPECT_DOUBLE_EQ(c[0].opacite, 1);
        const auto m = forme.match(c[0].texte);
        ASSERT_TRUE(m.hasMatch()) << c[0].texte.toStdString();
        const int l = m.captured(1).toInt();
        EXPECT_LE(l, precedent);
        EXPECT_GE(l, 3000);
        EXPECT_EQ(m.captured(2).toInt(), 3000);
        precedent = l;
    }
    EXPECT_GT(etapes, 5);
    EXPECT_EQ(e.couches()[0].texte, "3000 × 3000 px");

    // A clock keeps its two-digit seconds while it counts.
    Entete horloge("Couper film.mp4", "0:00");
    horloge.setPastille("0:12");
    for (int i = 0; i < 200 && horloge.animateur().actif(); ++i) {
        horloge.animateur().avancer(1.0 / 60);
        const QString t = horloge.couches().value(0).texte;
        EXPECT_TRUE(QRegularExpression("^0:\\d\\d$").match(t).hasMatch()) << t.toStdString();
    }
    EXPECT_EQ(horloge.couches()[0].texte, "0:12");

    // Another text: never two at once.
    Entete m("Masquer photo.jpg", "recherche…");
    m.setPastille("3 zones masquées");
    bool ancienneVue = false, nouvelleVue = false;
    for (int i = 0; i < 200 && m.animateur().actif(); ++i) {
        m.animateur().avancer(1.0 / 60);
        int visibles = 0;
        for (const Entete::Couche& c : m.couches())
            if (c.opacite > 0.001) {
                ++visibles;
                (c.texte == "recherche…" ? ancienneVue : nouvelleVue) = true;
            }
        EXPECT_LE(visibles, 1) << i;
    }
    EXPECT_TRUE(ancienneVue);
    EXPECT_TRUE(nouvelleVue);
    ASSERT_EQ(m.couches().size(), 1);
    EXPECT_EQ(m.couches()[0].texte, "3 zones masquées");
    EXPECT_DOUBLE_EQ(m.couches()[0].opacite, 1);

    // Reduced motion: at once.
    Entete r("Masquer", "recherche…");
    r.setReduire(true);
    r.setPastille("rien de trouvé");
    EXPECT_FALSE(r.animateur().actif());
    EXPECT_EQ(r.couches()[0].texte, "rien de trouvé");
}
