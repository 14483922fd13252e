#include "conversions/FFmpeg.h"
#include "conversions/EnAttente.h"

namespace Conversions {

void lancerFFmpeg(const QStringList&, const QString&, const Progression&) { indisponible(); }
QString sonParFFmpeg(const QString&, const QString&, const Progression&) { indisponible(); }
QString videoParFFmpeg(const QString&, const QString&, const Progression&) { indisponible(); }

} // namespace Conversions
