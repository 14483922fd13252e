#include "tesselui/Boutons.h"

using namespace Tokens;

Tokens::ThemedColor Boutons::transparent() { return ThemedColor(RGB(0, 0, 0, 0)); }

Boutons::Couleurs PillButtonStyle::couleurs(bool destructive) const
{
    Boutons::Couleurs c;
    switch (kind) {
    case Kind::primary:
        c.texte = onPastel ? ThemedColor(Palette::cloudCanvas) : Color::ctaText();
        c.fond = onPastel ? Color::deep() : Color::ctaFill();
        c.ombre = Color::glow();
        return c;
    case Kind::soft:
    case Kind::ghost:
        c.texte = destructive ? Color::danger() : onPastel ? Color::deep() : Color::ctaFill();
        break;
    }
    if (kind == Kind::soft) {
        c.fond = Color::accentWash();
        return c;
    }
    // The ghost sits on the surface once a neutral palette is installed.
    const ThemedColor encre = Color::textPrimary();
    c.fond = neutres ? Color::surface() : Boutons::transparent();
    c.trait = neutres ? ThemedColor(encre.light.with(0.12), encre.dark.with(0.12)) : Color::accent();
    c.largeurTrait = 1;
    return c;
}

Boutons::Couleurs TileButtonStyle::couleurs(bool pressed)
{
    Boutons::Couleurs c;
    c.texte = Color::textPrimary();
    c.fond = pressed ? Color::accentWash() : Color::panel();
    return c;
}

Tokens::ThemedColor IconButtonStyle::fond(bool pressed, bool hovered)
{
    return pressed ? Color::accentWash() : hovered ? Color::panel() : Boutons::transparent();
}
