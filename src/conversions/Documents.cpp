#include "conversions/Documents.h"
#include "conversions/EnAttente.h"

namespace Conversions {

QString document(const QString&, const QString&) { indisponible(); }

} // namespace Conversions
