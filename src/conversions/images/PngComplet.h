#pragma once

#include <QString>

namespace Conversions {

// A file that starts as a PNG but whose chunks run past its end or stop before IEND.
// libpng does not always say so: after an earlier failure in the same process, a PNG cut
// inside its pixel data came back as black pixels.
bool pngCoupe(const QString& chemin);

} // namespace Conversions
