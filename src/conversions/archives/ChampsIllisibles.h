#pragma once

#include <QList>
#include <QString>

namespace Conversions {

// A span of bytes of a file.
struct Plage {
    qint64 debut = 0;
    qint64 taille = 0;
};

// The extra fields of the local headers of the zip `archive` whose fields do not follow one
// another to their end: some writers pad them for alignment with bytes that break that
// chain. The common tools pass over them (the central directory says all they need); the
// unpacking library refuses the whole archive. Empty when the directory cannot be read.
QList<Plage> champsIllisibles(const QString& archive);

} // namespace Conversions
