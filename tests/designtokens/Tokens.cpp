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

} // namespace

TEST_F(Jetons, DecodeLesOctetsEtTronqueLOpaciteSurDesPasEntiers)
{
    EXPECT_EQ(RGB(0x3C315Bu, 0.5), RGB(60 / 255.0, 49 / 255.0, 91 / 255.0, 0.5));
    EXPECT_EQ(RGB(0xFF3C315Bu), RGB(0x3C315Bu));
    // 0.999 × 255 = 254.7 → 254, not the nearest 255; 0.5 × 255 = 127.5 → 127.
    EXPECT_EQ(RGB(0.999, 0.5, 0.0, 1).with(0.3), RGB(254 / 255.0, 127 / 255.0, 0, 0.3));
}

// Roles are worked out at every read: the brand and the neutral palette take effect at once.
TEST_F(Jetons, LesRolesSuiventLaMarqueEtLaPaletteNeutre)
{
    EXPECT_EQ(Color::canvas().dark, brand.deep);
    brand = BrandPalette::sauge();
    EXPECT_EQ(Color::canvas().dark, *brand.darkCanvas);
    EXPECT_EQ(Color::accent().light, brand.accent);
    neutres = Neutres::reverie();
    // The nine neutral roles come from the palette, the brand's roles still from the brand.
    EXPECT_EQ(Color::canvas(), neutres->canvas);
    EXPECT_EQ(Color::ctaText(), neutres->ctaText);
    EXPECT_EQ(Color::glow(), neutres->glow);
    brand = BrandPalette::corail();
    EXPECT_EQ(Color::accent().light, brand.accent);
    EXPECT_EQ(Color::accentWash().dark, brand.accent.with(Color::accentWash().dark.a));
    EXPECT_EQ(Color::canvas(), neutres->canvas);
}
