#include "conversions/Pdf.h"
#include "conversions/EnAttente.h"

namespace Conversions {

QString imagesEnPDF(const QStringList&) { indisponible(); }
QString reunir(const QStringList&, const Progression&) { indisponible(); }
QStringList pdf(const QString&, const QString&) { indisponible(); }
QStringList separer(const QString&) { indisponible(); }

} // namespace Conversions
