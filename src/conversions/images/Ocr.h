#pragma once

#include <QString>
#include <functional>

namespace tesseract {
class TessBaseAPI;
}

namespace Conversions {

// Runs `travail` with this thread's recogniser (French and English) in the C number format,
// and clears the recogniser's page after. Throws Erreur::rien when it is not installed.
void avecReconnaissance(const std::function<void(tesseract::TessBaseAPI&)>& travail);

} // namespace Conversions
