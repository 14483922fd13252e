#pragma once

#include <QString>
#include <functional>

namespace Conversions {

// The engine's one link to the application's log, set once at launch before any
// conversion runs; empty by default (the engine then logs nothing).
extern std::function<void(const QString&)> journalMoteur;

} // namespace Conversions
