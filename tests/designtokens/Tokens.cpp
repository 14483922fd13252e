#include "designtokens/Tokens.h"

#include <gtest/gtest.h>

using namespace Tokens;

namespace {

// Each test starts from the launch defaults and leaves them as it found them.
class Jetons : public ::testing::Test {
protected:
    void SetUp() override
    {
        brand = BrandPalette::lavande();
        neutres.reset();
    }
    void TearDown() override { SetUp(); }
};

void attendu(const RGB& c, int r, int g, int b, double a)
{
    EXPECT_DOUBLE_EQ(c.r, r / 255.0);
    EXPECT_DOUBLE_EQ(c.g, g / 255.0);
    EXPECT_DOUBLE_EQ(c.b, b / 255.0);
    EXPECT_DOUBLE_EQ(c.a, a);
}

} // namespace

TEST_F(Jetons, DecodeLesOctetsEtIgnoreLOctetDuHaut)
{
    attendu(RGB(0x3C315Bu, 0.5), 60, 49, 91, 0.5);
    EXPECT_EQ(RGB(0xFF3C315Bu), RGB(0x3C315Bu));
    EXPECT_NE(RGB(0x3C315Bu), RGB(0x3C315Cu));
}

TEST_F(Jetons, OpaciteTronqueLesCanauxSurDesPasEntiers)
{
    const RGB presque(0.999, 0.5, 0.0, 1);
    // 0.999 × 255 = 254.7 → 254, not the nearest 255; 0.5 × 255 = 127.5 → 127.
    attendu(presque.with(0.3), 254, 127, 0, 0.3);
    attendu(RGB(0xE2DFFEu).with(0.72), 0xE2, 0xDF, 0xFE, 0.72);
}

TEST_F(Jetons, RolesDeriveDeLaMarqueSansPaletteNeutre)
{
    attendu(Color::canvas().light, 0xFD, 0xFC, 0xFE, 1);
    attendu(Color::canvas().dark, 0x3C, 0x31, 0x5B, 1);
    attendu(Color::textSecondary().dark, 0xE2, 0xDF, 0xFE, 0.72);
    attendu(Color::separator().dark, 0xFD, 0xFC, 0xFE, 0.12);
    attendu(Color::ctaText().dark, 0x3C, 0x31, 0x5B, 1);
    attendu(Color::glow().light, 0xE2, 0xDF, 0xFE, 1);
    EXPECT_DOUBLE_EQ(Color::glow().dark.a, 0);
}

TEST_F(Jetons, SaugeDonneSonCanevasEtSonTexteSecondaire)
{
    brand = BrandPalette::sauge();
    attendu(Color::canvas().dark, 0x1C, 0x1C, 0x1C, 1);
    attendu(Color::textSecondary().dark, 0xFD, 0xFC, 0xFE, 0.6);
    attendu(Color::panel().dark, 0x26, 0x26, 0x26, 1);
    attendu(Color::accent().light, 0x8D, 0xBF, 0x98, 1);
}

TEST_F(Jetons, PaletteReverieRemplaceLesNeufRolesNeutresSeulement)
{
    const ThemedColor avant = Color::canvas();
    neutres = Neutres::reverie();
    EXPECT_NE(Color::canvas(), avant);
    attendu(Color::canvas().light, 0xFA, 0xFB, 0xFA, 1);
    attendu(Color::canvas().dark, 0x0D, 0x11, 0x1C, 1);
    attendu(Color::ctaText().dark, 0x12, 0x14, 0x1C, 1);
    EXPECT_DOUBLE_EQ(Color::glow().light.a, 0);
    EXPECT_DOUBLE_EQ(Color::glow().dark.a, 0);
    // The brand roles still follow the brand.
    attendu(Color::accent().dark, 0xAB, 0x9F, 0xF2, 1);
    brand = BrandPalette::corail();
    attendu(Color::accent().light, 0xF4, 0x91, 0x7B, 1);
    attendu(Color::accentWash().dark, 0xF4, 0x91, 0x7B, 0.28);
    attendu(Color::canvas().light, 0xFA, 0xFB, 0xFA, 1);
}

TEST_F(Jetons, RolesFixes)
{
    attendu(Color::attention().dark, 0x8D, 0xB4, 0xF7, 1);
    attendu(Color::danger().light, 0xE5, 0x48, 0x4D, 1);
    attendu(Color::danger().dark, 0xFF, 0x63, 0x69, 1);
    EXPECT_EQ(Color::success().light, Color::success().dark);
    EXPECT_EQ(BrandPalette::or_().name, "Or");
    EXPECT_FALSE(BrandPalette::lavande().darkCanvas.has_value());
}
