#pragma once

#include <QString>

#include <optional>

namespace Conversions {

// The name of a compression method that an entry of the zip `archive` uses and that the
// unpacking library cannot read (Shrink, Implode, Deflate64…): what to tell the user when
// its reading failed. Nothing when every entry uses another method.
std::optional<QString> methodeNonLue(const QString& archive);

} // namespace Conversions
