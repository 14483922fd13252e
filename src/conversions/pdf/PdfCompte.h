#pragma once

#include <QString>

namespace Conversions {

// The pages of a PDF, from its page tree's own count, for the catalogue at drag entry;
// 0 when it does not open (unreadable or locked).
int compterPagesPdf(const QString& chemin);

} // namespace Conversions
