#pragma once

#include <QString>

namespace Essai {

// The fixed series of sixteen checks; returns its block of report text. Never fails.
// `animaux`: a folder of pictures whose first entry feeds the cut-out check (skipped when
// it cannot be listed or is empty).
QString premierLot(const QString& dossier, const QString& image, const QString& pdf, const QString& son,
                   const QString& video, const QString& animaux = QString());

// The RTF letter of the series: a bold greeting, then a long red paragraph in Georgia.
QByteArray lettreRTF();

} // namespace Essai
