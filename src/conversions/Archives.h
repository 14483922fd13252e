#pragma once

#include "conversions/Conversions.h"


namespace Conversions {

// Items packed into one zip archive beside the first.
QString zipper(const QStringList& chemins);
// A zip archive unpacked beside itself: the one item, or a folder.
QString extraire(const QString& archive);
} // namespace Conversions
