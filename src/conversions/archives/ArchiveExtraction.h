#pragma once

#include <QString>

namespace Conversions {

// Unpacks the zip `archive` into the existing folder `dossier`. Entries that would land
// outside it (".." parts, absolute paths, writing through a link) are refused.
// Throws Erreur::lecture(nom) for a damaged, encrypted or hostile archive, and the
// shortage-of-space error once the unpacked bytes pass `limite`.
void deballer(const QString& archive, const QString& dossier, qint64 limite, const QString& nom);

// The bytes an unpacking into `dossier` may write: most of the free space of its disk.
qint64 limiteDeDeballage(const QString& dossier);

} // namespace Conversions
