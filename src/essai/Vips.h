#pragma once

#include <QSize>
#include <QString>
#include <optional>

// What the self-test reads of pictures through libvips (headers only, never a full decode).
namespace Essai::Vips {

std::optional<QSize> dimensions(const QString& chemin);
// The number of images (pages, frames) of a file; 0 when unreadable.
int pages(const QString& chemin);

} // namespace Essai::Vips
