#include "conversions/Archives.h"
#include "conversions/EnAttente.h"

namespace Conversions {

QString zipper(const QStringList&) { indisponible(); }
QString extraire(const QString&) { indisponible(); }

} // namespace Conversions
