#pragma once

#include <QString>

namespace Conversions {

// Whether `chemin` is a well-formed compound file (the container of Word 97–2003): its
// sectors' chains (allocation table, directory, small blocks, each stream) stay inside the
// file, end, and never meet. A reader of old Word files may go round a looping chain for ever.
bool oleBienForme(const QString& chemin);

} // namespace Conversions
