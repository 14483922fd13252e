#include "conversions/Video.h"
#include "conversions/EnAttente.h"

namespace Conversions {

QString video(const QString&, const QString&, const Progression&) { indisponible(); }

} // namespace Conversions
