#pragma once

#include "designtokens/Tokens.h"

#include <QMarginsF>
#include <functional>

// The looks of the design system's buttons as plain values: colours per kind and state,
// sizes, opacity and press scale. The widgets of BoutonAnime.h paint them.
namespace Boutons {

// A colour role read when the button paints.
using Role = std::function<Tokens::ThemedColor()>;
Tokens::ThemedColor transparent();

struct Couleurs {
    Tokens::ThemedColor texte = transparent();
    Tokens::ThemedColor fond = transparent();
    Tokens::ThemedColor trait = transparent();  // inner border, width `largeurTrait`
    double largeurTrait = 0;
    Tokens::ThemedColor ombre = transparent();  // a glow of radius 4 around the capsule
};

} // namespace Boutons

struct PillButtonStyle {
    enum class Kind { primary, soft, ghost };
    Kind kind = Kind::primary;
    bool large = false;
    bool onPastel = false;

    static PillButtonStyle pill() { return {}; }
    static PillButtonStyle pillLarge() { return {Kind::primary, true, false}; }
    static PillButtonStyle pillSoft() { return {Kind::soft, false, false}; }
    static PillButtonStyle pillGhost() { return {Kind::ghost, false, false}; }
    static PillButtonStyle pillOnPastel() { return {Kind::primary, false, true}; }
    static PillButtonStyle pillGhostOnPastel() { return {Kind::ghost, false, true}; }

    // Colours for a button of that role, from the tokens as they stand.
    Boutons::Couleurs couleurs(bool destructive) const;
    double taillePolice() const { return large ? 15 : 13; }
    QMarginsF marges() const { return large ? QMarginsF(24, 12, 24, 12) : QMarginsF(16, 6, 16, 6); }
    static double opacite(bool enabled) { return enabled ? 1 : 0.4; }
    static double echelle(bool pressed, bool reduce) { return pressed && !reduce ? 0.93 : 1; }
};

struct TileButtonStyle {
    static Boutons::Couleurs couleurs(bool pressed);
    static double echelle(bool pressed, bool reduce) { return pressed && !reduce ? 0.94 : 1; }
};

struct IconButtonStyle {
    Boutons::Role tint = &Tokens::Color::textPrimary;

    static IconButtonStyle icon() { return {}; }
    static IconButtonStyle iconMuted() { return {&Tokens::Color::textSecondary}; }
    static IconButtonStyle iconDanger() { return {[] { return Tokens::Color::danger(); }}; }

    // Fill behind the icon: pressed wins over hovered.
    static Tokens::ThemedColor fond(bool pressed, bool hovered);
    static constexpr double cote = 26, margeX = 2;
    // The capsule behind the icon: the 26 × 26 frame and its padding.
    static constexpr double largeur = cote + 2 * margeX, hauteur = cote;
    static double opacite(bool enabled) { return enabled ? 1 : 0.35; }
    static double echelle(bool pressed, bool reduce) { return pressed && !reduce ? 0.86 : 1; }
};

struct ToolToggleStyle {
    static Tokens::ThemedColor tint(bool on) { return on ? Tokens::Color::deep() : Tokens::Color::textPrimary(); }
    static Tokens::ThemedColor fond(bool on) { return on ? Tokens::Color::accent() : Boutons::transparent(); }
    static double echelle(bool on, bool reduce) { return on && !reduce ? 1.06 : 1; }
};
