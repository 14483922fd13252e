#pragma once

#include <QLocale>
#include <QString>

namespace Conversions {

// Unpacks the zip `archive` into the existing folder `dossier`. Entries that would land
// outside it (".." parts, absolute paths, writing through a link) are refused.
// Devices, pipes and sockets are left out. Throws Erreur::lecture(nom) for a damaged,
// encrypted or hostile archive, the shortage-of-space error once the unpacked bytes pass
// `limite`, and the decompression-bomb error when they grow far past what it weighs.
void deballer(const QString& archive, const QString& dossier, qint64 limite, const QString& nom);

// The DOS code page of names written by the Windows shell in `locale`'s language.
int pageDos(const QLocale& locale);

// The bytes an unpacking into `dossier` may write: most of the free space of its disk.
qint64 limiteDeDeballage(const QString& dossier);

} // namespace Conversions
