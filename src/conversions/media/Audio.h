#pragma once

#include "conversions/Erreur.h"
#include "conversions/Progression.h"


namespace Conversions {

// A sound to "mp3", "m4a", "wav" or "aiff".
QString son(const QString& source, const QString& id, const Progression& progression);

// A sound to MP3 through LAME.
QString mp3(const QString& source, const Progression& progression);

// Frames read in one go, by every audio conversion.
inline constexpr int blocAudio = 32768;
} // namespace Conversions
