#include "conversions/Images.h"
#include "conversions/EnAttente.h"

namespace Conversions {

QString detourer(const QString&) { indisponible(); }

} // namespace Conversions
