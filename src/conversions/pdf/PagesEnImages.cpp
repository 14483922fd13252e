#include "conversions/pdf/PagesEnImages.h"

#include "conversions/sorties/Annulation.h"
#include "conversions/Chemins.h"
#include "conversions/Erreur.h"
#include "conversions/travail/EnParallele.h"
#include "conversions/Journaux.h"
#include "conversions/pdf/Pdf.h"
#include "conversions/pdf/PdfRendu.h"
#include "conversions/sorties/Sortie.h"
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
    vipsPret();
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
        const QString texte = motsDeVips(e);
        qCWarning(journalPdf).noquote() << QStringLiteral("vips : ") + texte;
        echecDEcriture(sortie.nom(), texte);
    }
}

namespace {

// Runs of consecutive pages of one size, at most `auPlus` long: poppler draws a run in
// one process, which it starts once.
std::vector<std::pair<int, int>> series(const PdfRendu& pdf, int auPlus)
{
    std::vector<std::pair<int, int>> l;  // first page, count
    for (int i = 0; i < pdf.pages(); ++i) {
        if (!l.empty() && l.back().second < auPlus && pdf.taille(l.back().first) == pdf.taille(i)
            && pdf.resolution(l.back().first) == pdf.resolution(i))
            ++l.back().second;
        else
            l.emplace_back(i, 1);
    }
    return l;
}

} // namespace

QStringList pagesEnImages(const QString& source, const PdfRendu& pdf, const QString& cible)
{
    const int n = pdf.pages();
    double plusGrande = 1;
    for (int i = 0; i < n; ++i)
        plusGrande = std::max(plusGrande, static_cast<double>(pdf.taille(i).width()) * pdf.taille(i).height());
    const int fils = n < 2 ? 1 : std::min(coeursLibres(), std::max(1, static_cast<int>(pixelsEnVol / plusGrande)));
    const bool jpeg = cible == QLatin1String("jpg");
    // Enough runs per thread that the threads finish together.
    const auto lots = series(pdf, jpeg ? std::clamp(n / (3 * fils), 1, 8) : 1);
    // One slot per page, each filled by one thread only.
    std::vector<std::unique_ptr<Sortie>> ecrites(static_cast<size_t>(n));
    auto reserver = [&](int i) {
        return std::make_unique<Sortie>(Sortie::apres(source, n == 1 ? QString() : nomDePage(i + 1), cible));
    };
    // Page by page, each failure of the writing side under that page's own name.
    auto uneParUne = [&](int premiere, int nombre) {
        for (int i = premiere; i < premiere + nombre; ++i) {
            auto sortie = reserver(i);
            sortie->remplir([&] {
                if (jpeg && sortie->temporaire().endsWith(QLatin1String(".jpg")))
                    pdf.rendreEnJpeg(i, {sortie->temporaire()});
                else
                    ecrirePage(pdf.rendre(i), cible, *sortie);
            });
            ecrites[static_cast<size_t>(i)] = std::move(sortie);
        }
    };
    enParallele(static_cast<int>(lots.size()), fils, [&](int l) {
        const auto [premiere, nombre] = lots[static_cast<size_t>(l)];
        if (nombre == 1)
            return uneParUne(premiere, 1);
        std::vector<std::unique_ptr<Sortie>> sorties;
        QStringList temporaires;
        for (int i = premiere; i < premiere + nombre; ++i) {
            sorties.push_back(reserver(i));
            temporaires.append(sorties.back()->temporaire());
            if (!temporaires.back().endsWith(QLatin1String(".jpg"))) {
                sorties.clear();
                return uneParUne(premiere, nombre);
            }
        }
        try {
            pdf.rendreEnJpeg(premiere, temporaires);
        } catch (const Annulee&) {
            throw;
        } catch (const std::exception&) {
            sorties.clear();
            return uneParUne(premiere, nombre);  // finds which page fails
        }
        for (int k = 0; k < nombre; ++k)
            ecrites[static_cast<size_t>(premiere + k)] = std::move(sorties[static_cast<size_t>(k)]);
    });
    // A failure keeps no page: the temporaries go with their slots.
    return validerTout(ecrites);
}

} // namespace Conversions
