#pragma once

#include "conversions/Conversions.h"


namespace Conversions {

// A sound to "mp3", "m4a", "wav" or "aiff".
QString son(const QString& source, const QString& id, const Progression& progression);
} // namespace Conversions
