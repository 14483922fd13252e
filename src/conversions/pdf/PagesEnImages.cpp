#include "conversions/pdf/PagesEnImages.h"

#include "conversions/Chemins.h"
#include "conversions/Erreur.h"
#include "conversions/JournalMoteur.h"
#include "conversions/pdf/EnParallele.h"
#include "conversions/pdf/Pdf.h"
#include "conversions/pdf/PdfRendu.h"
#include "conversions/Sortie.h"
#include "conversions/images/Vips.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

using vips::VImage;

namespace Conversions {

namespace {

// Eight A4 pages at 300 dpi in memory at once, not eight posters.
constexpr double pixelsEnVol = 72e6;

} // namespace

void ecrirePage(const QImage& page, const QString& format, Sortie& sortie)
{
    // libvips takes rows without padding.
    const qsizetype ligne = 3 * static_cast<qsizetype>(page.width());
    const QImage rgb = page.convertToFormat(QImage::Format_RGB888);
    std::vector<uchar> serrees;
    const uchar* pixels = rgb.constBits();
    if (rgb.bytesPerLine() != ligne) {
        serrees.resize(static_cast<size_t>(ligne * rgb.height()));
        for (int y = 0; y < rgb.height(); ++y)
            std::memcpy(serrees.data() + ligne * y, rgb.constScanLine(y), static_cast<size_t>(ligne));
        pixels = serrees.data();
    }
    try {
        const VImage image = VImage::new_from_memory(const_cast<uchar*>(pixels),
                                                     static_cast<size_t>(ligne * rgb.height()), rgb.width(),
                                                     rgb.height(), 3, VIPS_FORMAT_UCHAR)
                                 .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
        const QByteArray chemin = local(sortie.temporaire());
        if (format == QLatin1String("png"))
            image.pngsave(chemin.constData(), VImage::option()
                                                  ->set("compression", 1)
                                                  ->set("filter", VIPS_FOREIGN_PNG_FILTER_NONE));
        else if (format == QLatin1String("jpg"))
            image.jpegsave(chemin.constData(), VImage::option()->set("Q", 90));
        else
            throw Erreur::ecriture(sortie.nom());
    } catch (const vips::VError& e) {
        if (journalDetails)
            journalDetails(QStringLiteral("libvips : ") + QString::fromUtf8(e.what()).trimmed());
        vips_error_clear();
        throw Erreur::ecriture(sortie.nom());
    }
}

QStringList pagesEnImages(const QString& source, const PdfRendu& pdf, const QString& cible)
{
    const int n = pdf.pages();
    double plusGrande = 1;
    for (int i = 0; i < n; ++i)
        plusGrande = std::max(plusGrande, static_cast<double>(pdf.taille(i).width()) * pdf.taille(i).height());
    const int fils = n < 2 ? 1 : std::min(coeursLibres(), std::max(1, static_cast<int>(pixelsEnVol / plusGrande)));
    // One slot per page, each filled by one thread only.
    std::vector<std::unique_ptr<Sortie>> ecrites(static_cast<size_t>(n));
    auto mettreEnPlace = [&] {
        QStringList chemins;
        for (auto& sortie : ecrites) {
            if (!sortie)
                break;  // the failed page: those after it are removed with their slots
            chemins.append(sortie->valider());
        }
        return chemins;
    };
    try {
        enParallele(n, fils, [&](int i) {
            const QImage page = pdf.rendre(i);
            auto sortie = std::make_unique<Sortie>(
                Sortie::apres(source, n == 1 ? QString() : nomDePage(i + 1), cible));
            ecrirePage(page, cible, *sortie);
            ecrites[static_cast<size_t>(i)] = std::move(sortie);
        });
    } catch (...) {
        mettreEnPlace();
        throw;
    }
    return mettreEnPlace();
}

} // namespace Conversions
