#pragma once

#include "plateforme/media/Sonde.h"

#include <QString>

namespace Conversions {

// Encrypted tracks decode to grey pictures and noise without their key, which nothing here
// asks for: they are refused as protected against copying, with the source's file name.
void refuserSiChiffre(const Media::Sondage& sondage, const QString& source);
// The same on a file probed here; one the probe cannot read is left to the conversion's reader.
void refuserSiChiffre(const QString& source);

} // namespace Conversions
