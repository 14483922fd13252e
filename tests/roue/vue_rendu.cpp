// Pixel probes on off-screen pictures of the settled wheel.
#include "roue/EtatRoue.h"
#include "roue/Formes.h"
#include "roue/Rendu.h"
#include "roue/Retouche.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

const QColor gris(128, 128, 128);
constexpr double echelle = 2;

// The pixel of a picture at angle a and radius r from the wheel's centre (view coordinates).
QColor sonde(const QImage& im, double a, double r)
{
    const QPointF p = Roue::Formes::point({320, 320}, a, r) * im.devicePixelRatio();
    return im.pixelColor(int(p.x()), int(p.y()));
}

double saturation(const QColor& c) { return c.hsvSaturationF(); }
QList<Conversions::Petale> quatre()
{
    return {{"jpg", "JPG", "photo", {}}, {"png", "PNG", "photo", {}}, {"webp", "WebP", "photo", {}},
            {"zip", "Zip", "doc.zipper", {}}};
}

class RenduRoue : public ::testing::Test {
protected:
    void SetUp() override { etat.setOuverte(true); }
    Roue::EtatRoue etat;
};

} // namespace

TEST_F(RenduRoue, LitPetalIsTintedAndUnlitOnesAreNot)
{
    etat.setPetales(quatre());
    etat.setSurvol(1);  // the petal on the right
    const QImage im = rendre(etat, false, echelle, gris);
    // Between the ring's inner edge and the label, on the petal's axis.
    const QColor allumee = sonde(im, 90, 95);
    const QColor eteinte = sonde(im, 270, 95);
    EXPECT_GT(saturation(allumee), saturation(eteinte) + 0.1) << allumee.name().toStdString() << " "
                                                                << eteinte.name().toStdString();
    EXPECT_NEAR(sonde(im, 180, 95).lightness(), eteinte.lightness(), 6);  // two unlit petals look alike
    // Between two petals only the disc shows.
    EXPECT_NE(sonde(im, 45, 120).rgb(), eteinte.rgb());
}

TEST_F(RenduRoue, PlainAndDenseScreensShowTheSamePicture)
{
    // The wheel at one and at two pixels per point, the second brought down to the first's
    // size: every layer (glows made at half resolution included) lands in the same place.
    etat.setPetales(quatre());
    etat.setSurvol(1);
    const QImage simple = rendre(etat, false, 1, gris);
    const QImage dense = rendre(etat, false, 2, gris).scaled(640, 640, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    int ecarts = 0;
    for (int y = 0; y < 640; y += 2)
        for (int x = 0; x < 640; x += 2) {
            const QColor a = simple.pixelColor(x, y), b = dense.pixelColor(x, y);
            ecarts += std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) > 24;
        }
    // Edges and text differ a little; a misplaced layer differs over thousands of pixels.
    EXPECT_LT(ecarts, 700);
}

TEST_F(RenduRoue, DarkAppearanceIsDarkerAndClosedIsEmpty)
{
    etat.setPetales(quatre());
    const QImage clair = rendre(etat, false, echelle, gris);
    const QImage sombre = rendre(etat, true, echelle, gris);
    EXPECT_EQ(clair.size(), QSize(1280, 1280));
    for (double a : {0.0, 90.0, 180.0})
        for (double r : {95.0, 178.0})  // on a petal, and the disc between petal and rim
            EXPECT_GT(sonde(clair, a, r).lightness(), sonde(sombre, a, r).lightness() + 30) << a << " " << r;
    // Outside the disc the background is untouched in both; closed, everywhere.
    EXPECT_EQ(sonde(clair, 45, 300).rgb(), gris.rgb());
    EXPECT_EQ(sonde(sombre, 45, 300).rgb(), gris.rgb());
    etat.setOuverte(false);
    const QImage fermee = rendre(etat, false, 1, gris);
    for (double a : {0.0, 90.0, 200.0})
        EXPECT_EQ(sonde(fermee, a, 100).rgb(), gris.rgb()) << a;
}

TEST_F(RenduRoue, TabGrowsOverTheToolsOnlyWhileTheArcIsOpen)
{
    QList<Conversions::Petale> petales = quatre();
    const Roue::Retouche offre = Roue::Retouche::offrePDF();
    petales.append(offre.petale());
    etat.setPetales(petales);
    const double am = 288;  // five petals
    // The arc's state without an offer (as a launch option may set it) leaves the disc round.
    etat.setPanneau(true);
    const QImage rond = rendre(etat, false, echelle, gris);
    for (double a = 0; a < 360; a += 30) {
        EXPECT_NEAR(sonde(rond, a, 230).lightness(), gris.lightness(), 6) << a;
        EXPECT_GT(sonde(rond, a, 180).lightness(), gris.lightness() + 40) << a;
    }
    etat.setPanneau(false);
    etat.setRetouche(offre);
    ASSERT_EQ(etat.angleModifier(), am);
    const QImage ferme = rendre(etat, false, echelle, gris);
    etat.setPanneau(true);
    etat.setOutil(0);
    const QImage ouvert = rendre(etat, false, echelle, gris);
    // Between two tool cells, inside the tab: background when closed, glass when open.
    EXPECT_EQ(sonde(ferme, am, 230).rgb(), gris.rgb());
    EXPECT_NE(sonde(ouvert, am, 230).rgb(), gris.rgb());
    // The opposite side keeps the plain disc.
    EXPECT_EQ(sonde(ouvert, am - 180, 230).rgb(), gris.rgb());
    // The hovered cell (slot 0) is pink, an unlit one is not.
    const QColor allumee = sonde(ouvert, am - 52 + 6, 215);
    const QColor eteinte = sonde(ouvert, am - 52 + 26 * 2 + 6, 215);
    EXPECT_GT(allumee.red(), allumee.green() + 15) << allumee.name().toStdString();
    EXPECT_LT(saturation(eteinte), saturation(allumee));
    // The "Modifier" petal stays lit (pink) while the pointer is on a tool.
    const QColor modifier = sonde(ouvert, am, 95);
    EXPECT_GT(modifier.red(), modifier.green() + 10) << modifier.name().toStdString();
}

TEST_F(RenduRoue, LitToolIsFainterWithoutTheSiblingApplication)
{
    QList<Conversions::Petale> petales = quatre();
    petales.append(Roue::Retouche::offrePDF().petale());
    etat.setPetales(petales);
    etat.setPanneau(true);
    etat.setOutil(1);
    const double am = 288;
    const auto cellule = [&](const Roue::Retouche& offre) {
        etat.setRetouche(offre);
        return sonde(rendre(etat, false, echelle, gris), am - 52 + 26 + 6, 252);
    };
    const QColor absente = cellule(Roue::Retouche::offrePDF());
    const QColor presente = cellule(Roue::Retouche::offrePDF(QStringLiteral("/usr/share/applications/folio.desktop")));
    EXPECT_GT(saturation(presente), saturation(absente) + 0.05)
        << presente.name().toStdString() << " " << absente.name().toStdString();
}

TEST_F(RenduRoue, ProgressRingCoversItsFraction)
{
    etat.setPetales(quatre());
    etat.setProgression(0.62);
    const QImage im = rendre(etat, false, echelle, gris);
    // The ring's circle has radius 67: ink up to 62 % of the turn (223°), track after.
    for (double a : {10.0, 90.0, 180.0, 215.0})
        EXPECT_LT(sonde(im, a, 67).lightness(), 80) << a;
    for (double a : {235.0, 270.0, 340.0})
        EXPECT_GT(sonde(im, a, 67).lightness(), 120) << a;
}

TEST_F(RenduRoue, SuccessAndFailureChangeTheFace)
{
    etat.setPetales(quatre());
    const QImage repos = rendre(etat, false, echelle, gris);
    etat.setFait(true);
    const QImage succes = rendre(etat, false, echelle, gris);
    // Open eyes fill their centre in navy (left of and above the centre); the smiling arcs
    // leave it to the face.
    const QPointF oeil = QPointF(320 - 11.83, 320 - 16 + 8) * echelle;
    EXPECT_LT(repos.pixelColor(oeil.toPoint()).lightness(), 60);
    EXPECT_GT(succes.pixelColor(oeil.toPoint()).lightness(), 150);
    etat.setFait(false);
    etat.setMessage(QStringLiteral("Impossible de lire « a.mov »"));
    EXPECT_NE(rendre(etat, false, echelle, gris), repos);
}
