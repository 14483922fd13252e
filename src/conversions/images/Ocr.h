#pragma once

#include <QString>

namespace Conversions {

// Whether a line that the recogniser read looks like text rather than noise from a picture:
// enough letters or digits among its signs, read with enough confidence (0 to 100).
bool ligneCredible(const QString& ligne, float confiance);

} // namespace Conversions
