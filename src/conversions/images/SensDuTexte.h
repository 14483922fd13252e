#pragma once

#include <QImage>

namespace Conversions {

// How far the text of a grey page is turned, in degrees clockwise (0, 90, 180 or 270), as
// the recogniser's orientation detection sees it; 0 when it is unsure, or when its data
// is not installed (said once in the log). Safe from several threads at once.
int sensDuTexte(const QImage& gris, int resolution);

// `gris` turned back by `degres` (as sensDuTexte gives them), so its text stands upright.
QImage redresserTexte(const QImage& gris, int degres);

} // namespace Conversions
