#include "designtokens/Tokens.h"

namespace Tokens {

RGB RGB::with(double alpha) const
{
    const auto canal = [](double c) { return static_cast<std::uint32_t>(static_cast<int>(c * 255)) & 0xFFu; };
    return RGB((canal(r) << 16) | (canal(g) << 8) | canal(b), alpha);
}

const BrandPalette& BrandPalette::lavande()
{
    static const BrandPalette p{"Lavande", RGB(0x3C315Bu), RGB(0xE2DFFEu), RGB(0xAB9FF2u),
                                RGB(0x302749u), RGB(0x483D65u), std::nullopt, std::nullopt};
    return p;
}

const BrandPalette& BrandPalette::or_()
{
    static const BrandPalette p{"Or", RGB(0x3A2A12u), RGB(0xFBEFD5u), RGB(0xE0B25Au),
                                RGB(0x2E210Du), RGB(0x4A3820u), std::nullopt, std::nullopt};
    return p;
}

const BrandPalette& BrandPalette::corail()
{
    static const BrandPalette p{"Corail", RGB(0x4A2530u), RGB(0xFFE1DAu), RGB(0xF4917Bu),
                                RGB(0x3B1C26u), RGB(0x5C3440u), std::nullopt, std::nullopt};
    return p;
}

const BrandPalette& BrandPalette::sauge()
{
    static const BrandPalette p{"Sauge", RGB(0x233A2Eu), RGB(0xE2F0E4u), RGB(0x8DBF98u),
                                RGB(0x262626u), RGB(0x313131u), RGB(0x1C1C1Cu), RGB(0xFDFCFEu, 0.6)};
    return p;
}

const Neutres& Neutres::reverie()
{
    static const Neutres n{
        ThemedColor(RGB(0xFAFBFAu), RGB(0x0D111Cu)),
        ThemedColor(RGB(0xFFFFFFu), RGB(0x161B28u)),
        ThemedColor(RGB(0xFFFFFFu), RGB(0x161B28u)),
        ThemedColor(RGB(0x18191Bu), RGB(0xEEF0F6u)),
        ThemedColor(RGB(0x5C5D61u), RGB(0xA3A9BAu)),
        ThemedColor(RGB(0xEEF0EEu), RGB(0x252B3Au)),
        ThemedColor(RGB(0x18191Bu), RGB(0xEEF0F6u)),
        ThemedColor(RGB(0xFFFFFFu), RGB(0x12141Cu)),
        ThemedColor(RGB(0x000000u, 0), RGB(0x000000u, 0)),
    };
    return n;
}

BrandPalette brand = BrandPalette::lavande();
std::optional<Neutres> neutres;

namespace Color {

// A neutral role: the installed palette's field, else the brand's derivation.
static ThemedColor neutre(ThemedColor Neutres::*champ, const ThemedColor& derive)
{
    return neutres ? (*neutres).*champ : derive;
}

ThemedColor canvas()
{
    return neutre(&Neutres::canvas, ThemedColor(Palette::cloudCanvas, brand.darkCanvas.value_or(brand.deep)));
}

ThemedColor panel() { return neutre(&Neutres::panel, ThemedColor(Palette::frostWhite, brand.darkPanel)); }

ThemedColor surface() { return neutre(&Neutres::surface, ThemedColor(Palette::cloudCanvas, brand.darkSurface)); }

ThemedColor textPrimary()
{
    return neutre(&Neutres::textPrimary, ThemedColor(Palette::charcoalInk, Palette::cloudCanvas));
}

ThemedColor textSecondary()
{
    return neutre(&Neutres::textSecondary,
                  ThemedColor(Palette::slateMute, brand.darkMutedText.value_or(brand.whisper.with(0.72))));
}

ThemedColor separator()
{
    return neutre(&Neutres::separator, ThemedColor(Palette::ashVeil, RGB(0xFDFCFEu, 0.12)));
}

ThemedColor ctaFill() { return neutre(&Neutres::ctaFill, ThemedColor(brand.deep, Palette::cloudCanvas)); }

ThemedColor ctaText() { return neutre(&Neutres::ctaText, ThemedColor(Palette::cloudCanvas, brand.deep)); }

ThemedColor glow() { return neutre(&Neutres::glow, ThemedColor(brand.whisper, brand.whisper.with(0))); }

ThemedColor accent() { return ThemedColor(brand.accent); }

ThemedColor accentWash() { return ThemedColor(brand.whisper, brand.accent.with(0.28)); }

ThemedColor deep() { return ThemedColor(brand.deep); }

const ThemedColor& creamCard()
{
    static const ThemedColor c(Palette::creamGlow);
    return c;
}

const ThemedColor& blushCard()
{
    static const ThemedColor c(Palette::blushMist);
    return c;
}

const ThemedColor& success()
{
    static const ThemedColor c(Palette::emeraldMint);
    return c;
}

const ThemedColor& attention()
{
    static const ThemedColor c(Palette::cornflowerPop, RGB(0x8DB4F7u));
    return c;
}

const ThemedColor& danger()
{
    static const ThemedColor c(RGB(0xE5484Du), RGB(0xFF6369u));
    return c;
}

} // namespace Color
} // namespace Tokens
