#pragma once

#include <QString>
#include <functional>

namespace Conversions {

// Set once at launch, before any conversion runs; both do nothing by default.
// The sink for a failed ffmpeg run's whole log text.
extern std::function<void(const QString&)> journalMoteur;
// The sink for a library's own words behind a French error shown to the user.
extern std::function<void(const QString&)> journalDetails;

} // namespace Conversions
