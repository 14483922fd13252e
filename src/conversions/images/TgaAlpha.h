#pragma once

#include <QByteArrayView>

namespace Conversions {

// Whether the fourth byte of a TGA's pixels is alpha: the header gives it alpha bits, and the
// extension area, when there is one, does not call its values undefined or absent. Writers of
// 32-bit pixels often leave that byte at 0 without meaning transparency.
bool alphaTgaUtile(QByteArrayView fichier);

} // namespace Conversions
