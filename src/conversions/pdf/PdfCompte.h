#pragma once

#include <QString>

namespace Conversions {

// The pages a PDF's page tree declares, read at once for the catalogue, which asks on the
// GUI thread at every drag entry: nothing is repaired and the file is never read whole, so a
// damaged, locked or silent document gives 0 (no « Séparer »), however large it is.
int pagesDeclarees(const QString& chemin);

} // namespace Conversions
