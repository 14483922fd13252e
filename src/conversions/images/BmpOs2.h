#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

namespace Conversions {

// An OS/2 2.x BMP may cut its info header anywhere from 16 to 64 bytes; Qt reads only the
// sizes Windows uses. Such a file rewritten with the 40-byte header (the fields it lacks are
// 0, as the format says); nothing when it is no such file.
std::optional<QByteArray> bmpAEnteteComplete(QByteArrayView fichier);

} // namespace Conversions
