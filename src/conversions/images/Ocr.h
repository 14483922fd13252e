#pragma once

#include <QString>
#include <functional>

namespace tesseract {
class TessBaseAPI;
}

namespace Conversions {

// Whether a line that the recogniser read looks like text rather than noise from a picture:
// enough letters or digits among its signs, read with enough confidence (0 to 100).
bool ligneCredible(const QString& ligne, float confiance);

// Runs `travail` with this thread's recogniser (French and English) in the C number format,
// and clears the recogniser's page after. Throws Erreur::rien when it is not installed.
void avecReconnaissance(const std::function<void(tesseract::TessBaseAPI&)>& travail);

} // namespace Conversions
