#pragma once

#include "conversions/Erreur.h"
#include "conversions/Progression.h"


namespace Conversions {

// Items packed into one zip archive beside the first.
QString zipper(const QStringList& chemins);
// A zip archive unpacked beside itself: the one item, or a folder.
QString extraire(const QString& archive);
// The same, writing at most `limite` bytes (the guard against archives that unpack
// to far more than they weigh).
QString extraire(const QString& archive, qint64 limite);
} // namespace Conversions
