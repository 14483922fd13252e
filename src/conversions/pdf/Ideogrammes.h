#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

namespace Conversions {

// Qt's PDF writer maps each glyph back to the lowest character the font gives it, and the CJK
// fonts give one glyph to a Kangxi radical (or a radical supplement, or a compatibility
// ideograph) and to the common ideograph it folds to: 日 would read back as ⽇.

// Characters to read back otherwise: each such form the text never uses, towards the
// character it folds to when the text uses that one. Empty for a text without CJK.
QHash<char16_t, char16_t> ideogrammesAReprendre(const QString& texte);

// A /ToUnicode CMap with every destination found in `remplacements` replaced; a range whose
// destinations change is written out as an array. Anything else is copied as it stands.
QByteArray cmapCorrigee(const QByteArray& cmap, const QHash<char16_t, char16_t>& remplacements);

// Rewrites, in place, the text maps of the PDF that Qt wrote at `pdf` from `texte`, when the
// text needs it. False, with qpdf's words in the log, when the file could not be rewritten.
bool ideogrammesRetrouves(const QString& pdf, const QString& texte);

} // namespace Conversions
