#pragma once

#include <QFile>

#include <optional>

namespace Conversions {

// Where a zip's central directory lies, as its end records say.
struct RepertoireCentral {
    qint64 debut = 0;
    qint64 taille = 0;
};

// Read from the end of the open file `f`; nothing when there is no end record, or when the
// records name bytes the file does not hold (a damaged or hostile archive).
std::optional<RepertoireCentral> repertoireCentral(QFile& f);

} // namespace Conversions
