#pragma once

#include <QList>
#include <QRect>
#include <QRegularExpression>
#include <QSizeF>
#include <array>
#include <utility>

// What counts as personal data in a line of text, and where it stands: plain logic apart
// from the recogniser.
namespace Sensibles {

// E-mail address, French phone number (national or +33), card number of 13 to 19 digits.
const std::array<QRegularExpression, 3>& motifs();

// Every match in `ligne`, pattern after pattern, each in order of position, as
// [début, fin) ranges. A text that two patterns match gives two ranges.
QList<std::pair<qsizetype, qsizetype>> trouver(const QString& ligne);

// The union of the boxes of characters [début, fin) (empty boxes, for blanks, count for
// nothing); empty when none has a box.
QRect boite(const QList<QRect>& boites, qsizetype debut, qsizetype fin);

// How far a found box is grown on every side, in pixels: 0.4 % of the short side, at least 3.
double marge(QSizeF image);
// The blur's size in pixels: 2 % of the short side, at least 12.
double flou(QSizeF image);

} // namespace Sensibles
