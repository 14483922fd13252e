#pragma once

#include <QString>

namespace Conversions {

// A file that starts as a PNG but whose chunks run past its end or stop before IEND.
// libpng does not always say so: after an earlier failure in the same process, a PNG cut
// inside its pixel data came back as black pixels.
bool pngCoupe(const QString& chemin);

// A PNG whose compressed pixels are too few to hold the picture its header declares, even at
// the best ratio deflate reaches (1032 to 1): a broken file, not merely a large one.
bool pngTropCourt(const QString& chemin);

} // namespace Conversions
