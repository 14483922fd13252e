#pragma once

#include "conversions/Erreur.h"
#include "conversions/Progression.h"


namespace Conversions {

// A video to "mp4", "mov", "leger", "m4a" (its sound) or "gif".
QString video(const QString& source, const QString& id, const Progression& progression);
} // namespace Conversions
