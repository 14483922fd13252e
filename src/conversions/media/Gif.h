#pragma once

#include "conversions/Erreur.h"
#include "conversions/Progression.h"


namespace Conversions {

// An animated GIF to an H.264 MP4 video.
QString gifEnVideo(const QString& source, const Progression& progression);
// The GIF of a video, into `dossier` under `base`.
QString gif(const QString& source, const QString& dossier, const QString& base, const Progression& progression);
} // namespace Conversions
