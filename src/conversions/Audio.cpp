#include "conversions/Audio.h"
#include "conversions/EnAttente.h"

namespace Conversions {

QString son(const QString&, const QString&, const Progression&) { indisponible(); }

} // namespace Conversions
