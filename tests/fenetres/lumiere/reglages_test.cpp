// The light window's maths: the sliders' mapping, the colour controls and the automatic
// adjustment on dark, bright and well-exposed photos.
#include "conversions/images/Vips.h"
#include "fenetres/lumiere/modele/Reglages.h"

#include <QImage>
#include <QPainter>
#include <cmath>
#include <gtest/gtest.h>

namespace {

// A photo-like picture: a diagonal gradient of colours scaled into [bas, haut].
QImage scene(double bas, double haut)
{
    QImage image(300, 200, QImage::Format_RGBX8888);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            // Light from 0 to 1 across, hues turning downwards, moderately colourful.
            const double t = (x + y) / 500.0, a = y / 20.0;
            const auto v = [&](double decalage) {
                const double c = std::clamp(t + 0.18 * std::cos(a + decalage), 0.0, 1.0);
                return int(255 * (bas + (haut - bas) * c));
            };
            image.setPixel(x, y, qRgb(v(0), v(-2.1), v(2.1)));
        }
    return image;
}

// Mean luma, and spread between the 5th and 95th luma percentiles.
std::pair<double, double> histogramme(const QImage& image)
{
    std::vector<int> l;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            l.push_back((54 * qRed(p) + 183 * qGreen(p) + 19 * qBlue(p)) >> 8);
        }
    std::sort(l.begin(), l.end());
    double somme = 0;
    for (int v : l)
        somme += v;
    return {somme / l.size() / 255, (l[l.size() * 95 / 100] - l[l.size() * 5 / 100]) / 255.0};
}

double ecartMoyen(const QImage& a, const QImage& b)
{
    double s = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            s += std::abs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y)));
    return s / (a.width() * a.height() * 255.0);
}

} // namespace

TEST(Reglages, CurseursEtControles)
{
    const struct {
        double l, c, co;
        double luminosite, contraste, saturation;
    } cas[] = {
        {-1, -1, -1, -0.4, 0.4, 0},
        {0, 0, 0, 0, 1, 1},
        {1, 1, 1, 0.4, 1.6, 2},
        {0.5, -0.5, 0.25, 0.2, 0.7, 1.25},
    };
    for (const auto& k : cas) {
        const Reglages::Controles c = Reglages::filtre(k.l, k.c, k.co).controles;
        EXPECT_DOUBLE_EQ(c.luminosite, k.luminosite);
        EXPECT_DOUBLE_EQ(c.contraste, k.contraste);
        EXPECT_DOUBLE_EQ(c.saturation, k.saturation);
    }
    EXPECT_EQ(Reglages::affichage(0.125), "13");
    EXPECT_EQ(Reglages::affichage(-0.125), "-13");
    EXPECT_EQ(Reglages::affichage(-0.004), "0");
    EXPECT_EQ(Reglages::affichage(-1), "-100");
    EXPECT_EQ(Reglages::pastille(0, 0, 0, false), "d'origine");
    EXPECT_EQ(Reglages::pastille(0, 0.001, 0, false), "retouchée");
    EXPECT_EQ(Reglages::pastille(0, 0, 0, true), "retouchée");

    // On pixels: the identity keeps them; colours at −1 give grey; brightness adds to
    // every channel; contrast turns around mid-grey.
    QImage image(4, 1, QImage::Format_RGBX8888);
    const QRgb pixels[] = {qRgb(200, 40, 10), qRgb(128, 128, 128), qRgb(0, 0, 0), qRgb(255, 255, 255)};
    for (int i = 0; i < 4; ++i)
        image.setPixel(i, 0, pixels[i]);
    EXPECT_EQ(Reglages::appliquer(Reglages::filtre(0, 0, 0), image), image);
    const QImage gris = Reglages::appliquer(Reglages::filtre(0, 0, -1), image);
    for (int i = 0; i < 4; ++i) {
        const QRgb p = gris.pixel(i, 0);
        EXPECT_TRUE(qRed(p) == qGreen(p) && qGreen(p) == qBlue(p)) << i;
    }
    EXPECT_EQ(qRed(gris.pixel(0, 0)), (54 * 200 + 183 * 40 + 19 * 10) >> 8);
    const QImage claire = Reglages::appliquer(Reglages::filtre(0.5, 0, 0), image);
    EXPECT_EQ(claire.pixel(1, 0), qRgb(179, 179, 179));  // 128 + 0.2 × 255
    EXPECT_EQ(claire.pixel(3, 0), qRgb(255, 255, 255));
    const QImage terne = Reglages::appliquer(Reglages::filtre(0, -1, 0), image);
    EXPECT_EQ(terne.pixel(2, 0), qRgb(77, 77, 77));  // 0.5 − 0.5 × 0.4
    EXPECT_EQ(terne.pixel(1, 0), qRgb(128, 128, 128));
}

TEST(Reglages, AutomatiqueEquilibre)
{
    const QImage sombre = scene(0.02, 0.3), claire = scene(0.65, 1.0), bonne = scene(0.03, 0.97);
    const auto corrigee = [](const QImage& i) {
        return Reglages::appliquer(Reglages::filtre(0, 0, 0, Reglages::automatique(i)), i);
    };
    // Dark and washed-out photos move toward a balanced histogram: mean nearer the middle,
    // tones spread wider.
    for (const QImage* i : {&sombre, &claire}) {
        const auto [moyenne, etendue] = histogramme(*i);
        const auto [moyenneApres, etendueApres] = histogramme(corrigee(*i));
        EXPECT_LT(std::abs(moyenneApres - 0.5), std::abs(moyenne - 0.5) - 0.1);
        EXPECT_GT(etendueApres, etendue * 1.5);
    }
    // A well-exposed one barely changes.
    EXPECT_LT(ecartMoyen(corrigee(bonne), bonne), 0.03);
    const Reglages::Auto a = Reglages::automatique(bonne);
    EXPECT_NEAR(a.gamma, 1, 0.05);
    EXPECT_LE(a.vibrance, 0.05);
}

TEST(Reglages, EnregistrementCommeLApercu)
{
    // The full-size save runs the filter through libvips: the same picture as the preview's
    // loops, within two levels per channel (rounding).
    const QImage image = scene(0.1, 0.8);
    const std::optional<Reglages::Auto> aucun, automatique = Reglages::automatique(image);
    const struct {
        double l, c, co;
        const std::optional<Reglages::Auto>& a;
    } cas[] = {{0.3, -0.4, 0, aucun}, {0, 0, -1, aucun}, {-0.2, 0.5, 0.8, aucun}, {0.1, 0.1, 0.1, automatique}};
    for (const auto& k : cas) {
        const Reglages::Filtre f = Reglages::filtre(k.l, k.c, k.co, k.a);
        const QImage boucles = Reglages::appliquer(f, image);
        const QImage vips = Conversions::versQImage(Reglages::appliquer(f, Conversions::rgba(Conversions::depuisQImage(image))), true);
        ASSERT_EQ(vips.size(), image.size());
        int ecart = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb a = boucles.pixel(x, y), b = vips.pixel(x, y);
                ecart = std::max({ecart, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                  std::abs(qBlue(a) - qBlue(b))});
            }
        EXPECT_LE(ecart, 2) << k.l << " " << k.c << " " << k.co;
    }
}
