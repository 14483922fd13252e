#include "conversions/images/Vips.h"

#include "essai/Vips.h"

namespace Essai::Vips {

namespace {

// The engine's own reading, with its trusted loaders and size guard; header only.
std::optional<vips::VImage> ouvrir(const QString& chemin)
{
    try {
        return Conversions::ouvrirImage(chemin);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

} // namespace

std::optional<QSize> dimensions(const QString& chemin)
{
    const auto image = ouvrir(chemin);
    if (!image)
        return std::nullopt;
    return QSize(image->width(), vips_image_get_page_height(image->get_image()));
}

int pages(const QString& chemin)
{
    const auto image = ouvrir(chemin);
    if (!image)
        return 0;
    return image->get_typeof(VIPS_META_N_PAGES) ? image->get_int(VIPS_META_N_PAGES) : 1;
}

} // namespace Essai::Vips
