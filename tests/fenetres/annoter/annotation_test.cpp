// The image tools' geometry as tables (size rule, canvas fit, clamping, arrow head, the mask's
// traced zones), and a flattened annotation probed against the colours it must leave.
#include "conversions/Erreur.h"
#include "fenetres/annoter/modele/Annotation.h"
#include "fenetres/commun/modele/Toile.h"
#include "fenetres/masquer/modele/Zones.h"

#include <QPainter>
#include <cmath>
#include <gtest/gtest.h>

namespace {

void proche(QPointF a, QPointF b, const char* quoi)
{
    EXPECT_NEAR(a.x(), b.x(), 1e-6) << quoi;
    EXPECT_NEAR(a.y(), b.y(), 1e-6) << quoi;
}

// Distance between two colours, channel by channel.
int ecart(QRgb a, QColor b)
{
    return std::max({std::abs(qRed(a) - b.red()), std::abs(qGreen(a) - b.green()), std::abs(qBlue(a) - b.blue())});
}

} // namespace

TEST(Annotation, MesuresToileEtPointe)
{
    const struct {
        QSizeF image;
        double trait, police;
    } mesures[] = {{{400, 300}, 3, 18}, {{4000, 3000}, 18, 135}, {{1000, 800}, 4.8, 36}, {{}, 3, 18}};
    for (const auto& m : mesures) {
        EXPECT_DOUBLE_EQ(Mesure::pour(m.image).trait, m.trait);
        EXPECT_DOUBLE_EQ(Mesure::pour(m.image).police, m.police);
    }

    const struct {
        QSizeF toile, image;
        double k;
        QPointF o;
    } ajustes[] = {
        {{588, 360}, {4000, 3000}, 336.0 / 3000, {(588 - 4000 * 336.0 / 3000) / 2, 12}},
        {{588, 360}, {100, 50}, 5.64, {12, (360 - 50 * 5.64) / 2}},  // a small photo is enlarged
        {{588, 380}, {}, 356, {(588 - 356) / 2.0, 12}},
    };
    for (const auto& a : ajustes) {
        const Toile t = Toile::ajuster(a.toile, a.image);
        EXPECT_NEAR(t.k, a.k, 1e-9);
        proche(t.o, a.o, "origine");
    }
    const Toile t = Toile::ajuster({588, 360}, {4000, 3000});
    proche(t.versImage(t.o - QPointF(50, 50)), {0, 0}, "avant le coin");
    proche(t.versImage(t.versEcran({4000, 3000}) + QPointF(9, 9)), {4000, 3000}, "après le coin");
    proche(t.versImage(t.versEcran({1234, 567})), {1234, 567}, "dedans");
    proche(t.versPhoto(t.o - QPointF(t.k * 10, 0)), {-10, 0}, "hors de la photo");

    // The head: tip first, sides 0.48 rad each side of the shaft, 4.2 strokes long.
    const Mesure m{10, 45};
    const double L = 42;
    const struct {
        QPointF a, b;
    } fleches[] = {{{0, 0}, {100, 0}}, {{100, 100}, {100, 0}}, {{50, 50}, {0, 100}}};
    for (const auto& f : fleches) {
        const auto p = m.pointe(f.a, f.b);
        const double t = std::atan2(f.b.y() - f.a.y(), f.b.x() - f.a.x());
        proche(p[0], f.b, "pointe");
        proche(p[1], f.b - L * QPointF(std::cos(t - 0.48), std::sin(t - 0.48)), "côté 1");
        proche(p[2], f.b - L * QPointF(std::cos(t + 0.48), std::sin(t + 0.48)), "côté 2");
        proche(m.finTige(f.a, f.b), f.b - 26 * QPointF(std::cos(t), std::sin(t)), "fin de la tige");
    }
}

TEST(Annotation, ZonesTracees)
{
    const QSizeF image(1000, 800);
    const struct {
        QPointF p0, p1;
        QRectF trace;
        Zones::Fin fin;  // at k = 0.5
    } cas[] = {
        {{100, 100}, {300, 200}, {100, 100, 200, 100}, Zones::Fin::ajouter},
        {{300, 200}, {100, 100}, {100, 100, 200, 100}, Zones::Fin::ajouter},   // either way
        {{100, 100}, {112, 105}, {100, 100, 12, 5}, Zones::Fin::ajouter},      // 6 points one way
        {{100, 100}, {110, 110}, {100, 100, 10, 10}, Zones::Fin::cliquer},     // 5 points both ways
        {{-100, 100}, {50, 150}, {0, 100, 50, 50}, Zones::Fin::ajouter},       // clipped to the photo
        {{100, 100}, {400, 100}, {100, 100, 300, 0}, Zones::Fin::rien},        // flat: hides nothing
        {{-300, -200}, {-100, -50}, {}, Zones::Fin::cliquer},                  // wholly outside
    };
    for (const auto& c : cas) {
        const QRectF r = Zones::trace(c.p0, c.p1, image);
        EXPECT_EQ(r, c.trace) << c.p0.x() << "," << c.p0.y();
        EXPECT_EQ(Zones::fin(r, 0.5), c.fin) << c.p0.x() << "," << c.p0.y();
    }
    const QList<QRectF> zones{{0, 0, 100, 100}, {50, 50, 100, 100}, {500, 500, 10, 10}};
    EXPECT_EQ(Zones::sous(zones, {75, 75}), 1);  // the latest of two overlapping
    EXPECT_EQ(Zones::sous(zones, {10, 10}), 0);
    EXPECT_EQ(Zones::sous(zones, {300, 300}), std::nullopt);
}

TEST(Annotation, AplatiCommeDessine)
{
    // 1000 × 1000: strokes of 6 pixels, letters of 45.
    QImage photo(1000, 1000, QImage::Format_RGBX8888);
    const QColor gris(128, 128, 128);
    photo.fill(gris);
    const QColor rouge = couleursAnnotation()[1], bleu = couleursAnnotation()[4];
    const QList<Annotation> marques{
        {Annotation::Genre::fleche, {500, 400}, {900, 400}, {}, rouge},
        {Annotation::Genre::cadre, {300, 250}, {100, 100}, {}, rouge},  // traced from its far corner
        {Annotation::Genre::texte, {100, 600}, {100, 600}, QStringLiteral("Bonjour"), bleu},
    };
    const QImage a = Retouches::annoter(photo, marques);
    ASSERT_EQ(a.size(), photo.size());
    EXPECT_FALSE(a.hasAlphaChannel());
    const QColor halo(236, 236, 236);  // white at 0.85 over the grey
    const struct {
        QPoint p;
        QColor attendu;
        const char* quoi;
    } sondes[] = {
        {{700, 400}, rouge, "tige"},      {{700, 397}, rouge, "tige, bord"},
        {{700, 403}, halo, "halo de la tige"}, {{700, 405}, gris, "au-delà du halo"},
        {{890, 403}, rouge, "tête, après la tige"}, {{870, 406}, gris, "avant la tête"},
        {{100, 175}, rouge, "cadre, côté gauche"}, {{103, 175}, halo, "halo du cadre"},
        {{200, 175}, gris, "dans le cadre"},  {{98, 98}, gris, "coin arrondi du cadre"},
        {{200, 102}, rouge, "cadre, côté haut"},
    };
    for (const auto& s : sondes)
        EXPECT_LE(ecart(a.pixel(s.p), s.attendu), 3) << s.quoi << " " << QColor(a.pixel(s.p)).name().toStdString();
    // The text: blue letters ringed with white inside its line, nothing below it.
    int bleus = 0, blancs = 0;
    for (int y = 600; y < 670; ++y)
        for (int x = 95; x < 320; ++x) {
            bleus += ecart(a.pixel(x, y), bleu) <= 8;
            blancs += std::min({qRed(a.pixel(x, y)), qGreen(a.pixel(x, y)), qBlue(a.pixel(x, y))}) >= 235;
        }
    EXPECT_GT(bleus, 800);
    EXPECT_GT(blancs, 300);
    EXPECT_EQ(ecart(a.pixel(100, 700), gris), 0);
    // No marks: the same picture.
    EXPECT_EQ(Retouches::annoter(photo, {}).convertToFormat(photo.format()), photo);
    EXPECT_THROW(Retouches::annoter(QImage(), marques), Conversions::Erreur);
}
