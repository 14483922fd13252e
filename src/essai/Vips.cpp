// vips (through glib) must come before Qt, whose `signals` macro breaks glib's headers.
#include <vips/vips8>

#include "essai/Vips.h"

#include <QFile>
#include <mutex>

namespace Essai::Vips {

namespace {

void initialiser()
{
    static std::once_flag fait;
    std::call_once(fait, [] { VIPS_INIT("vemo-vododod"); });
}

std::optional<vips::VImage> ouvrir(const QString& chemin)
{
    initialiser();
    try {
        return vips::VImage::new_from_file(QFile::encodeName(chemin).constData(),
                                           vips::VImage::option()->set("access", VIPS_ACCESS_SEQUENTIAL));
    } catch (const vips::VError&) {
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
