#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The design system's raw values. Plain C++: the views turn them into colours.
namespace Tokens {

// One sRGB colour, components 0…1.
struct RGB {
    double r = 0;
    double g = 0;
    double b = 0;
    double a = 1;

    constexpr RGB() = default;
    constexpr RGB(double r_, double g_, double b_, double a_) : r(r_), g(g_), b(b_), a(a_) {}
    // 0xRRGGBB; the top byte is ignored.
    constexpr explicit RGB(std::uint32_t hex, double alpha = 1)
        : r(((hex >> 16) & 0xFF) / 255.0), g(((hex >> 8) & 0xFF) / 255.0), b((hex & 0xFF) / 255.0), a(alpha) {}

    // The same colour at another opacity, its channels put back on whole 1/255 steps.
    RGB with(double alpha) const;

    bool operator==(const RGB&) const = default;
};

struct ThemedColor {
    RGB light;
    RGB dark;

    constexpr ThemedColor(RGB l, RGB d) : light(l), dark(d) {}
    constexpr explicit ThemedColor(RGB both) : light(both), dark(both) {}
    bool operator==(const ThemedColor&) const = default;
};

struct BrandPalette {
    std::string name;
    RGB deep;
    RGB whisper;
    RGB accent;
    RGB darkPanel;
    RGB darkSurface;
    std::optional<RGB> darkCanvas;
    std::optional<RGB> darkMutedText;

    static const BrandPalette& lavande();
    static const BrandPalette& or_();
    static const BrandPalette& corail();
    static const BrandPalette& sauge();

    bool operator==(const BrandPalette&) const = default;
};

// A full set of neutral roles that, once installed, replaces the brand's derivation.
struct Neutres {
    ThemedColor canvas;
    ThemedColor panel;
    ThemedColor surface;
    ThemedColor textPrimary;
    ThemedColor textSecondary;
    ThemedColor separator;
    ThemedColor ctaFill;
    ThemedColor ctaText;
    ThemedColor glow;

    static const Neutres& reverie();

    bool operator==(const Neutres&) const = default;
};

// Process-wide settings, written once at launch on the GUI thread.
extern BrandPalette brand;
extern std::optional<Neutres> neutres;

namespace Palette {
inline constexpr RGB creamGlow{0xFFFFC4u};
inline constexpr RGB blushMist{0xFFDADCu};
inline constexpr RGB emeraldMint{0x2EC08Bu};
inline constexpr RGB cornflowerPop{0x4A87F2u};
inline constexpr RGB cloudCanvas{0xFDFCFEu};
inline constexpr RGB charcoalInk{0x1C1C1Cu};
inline constexpr RGB frostWhite{0xF4F2F4u};
inline constexpr RGB ashVeil{0xE9E8EAu};
inline constexpr RGB slateMute{0x86848Du};
} // namespace Palette

// Colour roles, worked out again at every read from `brand` and `neutres`.
namespace Color {
ThemedColor canvas();
ThemedColor panel();
ThemedColor surface();
ThemedColor textPrimary();
ThemedColor textSecondary();
ThemedColor separator();
ThemedColor ctaFill();
ThemedColor ctaText();
ThemedColor glow();
ThemedColor accent();
ThemedColor accentWash();
ThemedColor deep();
const ThemedColor& creamCard();
const ThemedColor& blushCard();
const ThemedColor& success();
const ThemedColor& attention();
const ThemedColor& danger();
} // namespace Color

namespace Spacing {
inline constexpr double s4 = 4, s8 = 8, s12 = 12, s16 = 16, s20 = 20, s24 = 24, s32 = 32, s48 = 48, s64 = 64;
}

namespace Radius {
inline constexpr double body = 4, smallElements = 16, cards = 24, largeButtons = 32, pill = 100;
}

namespace Typography {
inline constexpr const char* family = "Inter";
inline constexpr double tracking = -0.025;
inline constexpr double display = 80, headingLarge = 64, heading = 30, headingSmall = 24, subheading = 20,
                        body = 15, caption = 13, small = 11;
inline constexpr double weightLight = 350, weightRegular = 400;
} // namespace Typography

} // namespace Tokens
