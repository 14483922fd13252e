#pragma once

#include <QFont>
#include <QString>

class QTextDocument;

namespace Conversions {

// The installed family that draws the first character of `texte` in one of the scripts that
// Word takes from a run's East Asian font (Chinese, Japanese, Korean), or its complex-script
// font (Arabic, Hebrew, Indic, Thai…); empty when there is none of those scripts, or no font.
QString policeAsieDeLEst(const QString& texte);
QString policeComplexe(const QString& texte);

// The distinct characters of `texte` that no installed font draws (after the layout's own
// fallbacks from `police`), in order of first appearance, at most `auPlus` of them.
QString caracteresSansPolice(const QString& texte, const QFont& police, int auPlus = 20);

// Logs once, under the document's name, the characters that no font can draw in its outputs.
void signalerCaracteresSansPolice(const QTextDocument& texte, const QString& nom);

} // namespace Conversions
