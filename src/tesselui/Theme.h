#pragma once

#include "designtokens/Tokens.h"
#include "tesselui/Couleur.h"

#include <QColor>
#include <QPainter>
#include <QRectF>
#include <QWidget>

// The design system's named colours, each built afresh from the tokens as they stand, so a
// neutral palette chosen at launch reaches every component built afterwards.
namespace Theme {

inline Couleur canvas() { return Couleur(Tokens::Color::canvas()); }
inline Couleur panel() { return Couleur(Tokens::Color::panel()); }
inline Couleur surface() { return Couleur(Tokens::Color::surface()); }
inline Couleur ink() { return Couleur(Tokens::Color::textPrimary()); }
inline Couleur inkMuted() { return Couleur(Tokens::Color::textSecondary()); }
inline Couleur hairline() { return Couleur(Tokens::Color::separator()); }
inline Couleur ctaFill() { return Couleur(Tokens::Color::ctaFill()); }
inline Couleur ctaText() { return Couleur(Tokens::Color::ctaText()); }
inline Couleur brandAccent() { return Couleur(Tokens::Color::accent()); }
inline Couleur accentWash() { return Couleur(Tokens::Color::accentWash()); }
inline Couleur glow() { return Couleur(Tokens::Color::glow()); }
inline Couleur deep() { return Couleur(Tokens::Color::deep()); }
inline Couleur midnight() { return deep(); }
inline Couleur creamCard() { return Couleur(Tokens::Color::creamCard()); }
inline Couleur blushCard() { return Couleur(Tokens::Color::blushCard()); }
inline Couleur success() { return Couleur(Tokens::Color::success()); }
inline Couleur attention() { return Couleur(Tokens::Color::attention()); }
inline Couleur danger() { return Couleur(Tokens::Color::danger()); }
inline Couleur recording() { return danger(); }
inline Couleur onPastel() { return Couleur(Tokens::ThemedColor(Tokens::Palette::charcoalInk)); }
inline Couleur cloud() { return Couleur(Tokens::ThemedColor(Tokens::Palette::cloudCanvas)); }

// The colour of a role as `w` shows it: its palette's window colour tells light from dark.
inline QColor de(const Couleur& c, const QWidget* w) { return c.pour(w->palette()); }
inline QColor de(const Tokens::ThemedColor& c, const QWidget* w) { return Couleur(c).pour(w->palette()); }

// A window's root style: canvas background, primary ink, accent highlight and the design
// system's text at `taille`, in the appearance the window's palette already has.
void fenetre(QWidget* w, double taille);

// A card: a rounded rectangle of radius 24 filled with `fond`.
void peindreCarte(QPainter& p, const QRectF& r, const QColor& fond);

// A painter set for shapes: antialiased, no pen.
void preparer(QPainter& p);

} // namespace Theme
