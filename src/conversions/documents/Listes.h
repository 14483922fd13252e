#pragma once

#include <QString>

namespace Conversions {

// How a list level numbers its items, as Word and OpenDocument name the common ones.
enum class Numerotation { puce, decimal, lettres, Lettres, romains, Romains, aucune };

Numerotation numerotationWord(QStringView numFmt);       // "decimal", "lowerLetter", …
Numerotation numerotationOdt(QStringView numFormat);     // "1", "a", "A", "i", "I", ""
// `n` (from 1) written in that numbering; empty for bullets and none.
QString numero(int n, Numerotation numerotation);
// The bullet a file gives, or "•" where it gives a symbol font's private character or nothing.
QString puce(const QString& donnee);
// A list level's marker text cut to `longueurDeMarque` characters: a file may give one of
// thousands, which every item would repeat.
QString marqueBornee(const QString& texte);
// Blanks before the marker of a nested level (0 is the outermost).
QString retraitDeListe(int niveau);

// Deepest list level a file may ask for; beyond, items count as that level.
constexpr int niveauxDeListe = 9;
// Longest marker an item gets ("1.2.3.4.5.6.7.8.9." and a prefix fit in it).
constexpr qsizetype longueurDeMarque = 48;

} // namespace Conversions
