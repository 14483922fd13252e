#pragma once

// Old sinks, kept until their last callers log through the categories of Journaux.h.
#include "conversions/Journaux.h"

namespace Conversions {

[[deprecated("qCWarning(Conversions::journal…)")]] inline void journalDetails(const QString& t) { qCWarning(journalConversions).noquote() << t; }
[[deprecated("qCWarning(Conversions::journalFFmpeg)")]] inline void journalMoteur(const QString& t) { qCWarning(journalFFmpeg).noquote() << t; }

} // namespace Conversions
