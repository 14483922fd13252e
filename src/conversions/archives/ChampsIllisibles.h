#pragma once

#include "conversions/archives/RepertoireCentral.h"

#include <QList>
#include <QString>

namespace Conversions {

// The extra fields of the zip `archive`, in its local headers and in its central directory,
// that the unpacking library refuses although the common tools pass over them: fields that
// do not follow one another to their end (some writers pad them for alignment), and fewer
// than four bytes that are not all zeros (padding of 0xFF bytes). Empty when the directory
// cannot be read.
QList<Plage> champsIllisibles(const QString& archive);

// The extra field of the local header at `position` of the open `f`, where it lies (the
// entry's data follows it), its bytes in `champs`; nothing when the header is not there.
std::optional<Plage> champsLocaux(QFile& f, quint64 position, QByteArray& champs);

} // namespace Conversions
