#pragma once

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>

namespace Conversions {

// The names, as stored, of the entries of the zip `archive` that a Unix writer marked as
// a device, a pipe or a socket. The unpacking library reads some of them (pipes) as
// plain files; the central directory still says what they were. Empty when the
// directory cannot be read (the unpacking then reports the damage itself).
QSet<QByteArray> entreesSpeciales(const QString& archive);

// The names, as stored, that hold a NUL byte: the unpacking library cuts them there.
QList<QByteArray> nomsCoupes(const QString& archive);

} // namespace Conversions
