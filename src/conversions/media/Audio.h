#pragma once

#include "conversions/Erreur.h"
#include "conversions/Progression.h"

#include <cstdint>


namespace Conversions {

// A sound to "mp3", "m4a", "wav" or "aiff".
QString son(const QString& source, const QString& id, const Progression& progression);

// A sound to MP3 through LAME.
QString mp3(const QString& source, const Progression& progression);

// Refuses a sound of `octets` bytes of samples, before anything is written, when its AIFF
// would pass the format's limit (sizes are signed 32-bit numbers: 2 GiB): « x » est trop
// long pour un fichier AIFF, with the source's name.
void verifierAiff(const QString& source, int64_t octets);

// Frames read in one go, by every audio conversion.
inline constexpr int blocAudio = 32768;
} // namespace Conversions
