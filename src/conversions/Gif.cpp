#include "conversions/Gif.h"
#include "conversions/EnAttente.h"

namespace Conversions {

QString gifEnVideo(const QString&, const Progression&) { indisponible(); }
QString gif(const QString&, const QString&, const QString&, const Progression&) { indisponible(); }

} // namespace Conversions
