#pragma once

#include "conversions/archives/SourceMasquee.h"

#include <QList>
#include <QString>

namespace Conversions {

// Deflated entries of the zip `archive` whose stream ends before the compressed size that
// their headers give (bytes after the data, which unzip and Python pass over, where the
// unpacking library refuses the entry): that size, in the local header and the central
// record, read as the stream's own. Each entry is inflated to find where its stream ends, so
// this is for an archive the library already refused.
QList<Remplacement> fluxCourts(const QString& archive);

} // namespace Conversions
