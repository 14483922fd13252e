#include "conversions/pdf/PagesEnImages.h"

#include "conversions/Chemins.h"
#include "conversions/Erreur.h"
#include "conversions/JournalMoteur.h"
#include "conversions/pdf/PdfRendu.h"
#include "conversions/Sortie.h"
#include "conversions/images/Vips.h"

#include <QFile>

using vips::VImage;

namespace Conversions {

QString ecrirePage(const QImage& page, const QString& format, Sortie& sortie)
{
    try {
        const VImage rgb = depuisQImage(page)
                               .extract_band(0, VImage::option()->set("n", 3))
                               .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
        const QByteArray chemin = local(sortie.temporaire());
        if (format == QLatin1String("png"))
            rgb.pngsave(chemin.constData(), VImage::option()
                                                ->set("compression", 1)
                                                ->set("filter", VIPS_FOREIGN_PNG_FILTER_NONE));
        else if (format == QLatin1String("jpg"))
            rgb.jpegsave(chemin.constData(), VImage::option()->set("Q", 90));
        else
            throw Erreur::ecriture(sortie.nom());
    } catch (const vips::VError& e) {
        if (journalDetails)
            journalDetails(QStringLiteral("libvips : ") + QString::fromUtf8(e.what()).trimmed());
        vips_error_clear();
        throw Erreur::ecriture(sortie.nom());
    }
    return sortie.valider();
}

EcrituresDePages::~EcrituresDePages()
{
    for (auto& ecriture : enCours_)
        ecriture.chemin.wait();
}

double EcrituresDePages::pixelsEnCours() const
{
    double total = 0;
    for (const auto& ecriture : enCours_)
        total += ecriture.pixels;
    return total;
}

void EcrituresDePages::attendre()
{
    std::future<QString> plusAncienne = std::move(enCours_.front().chemin);
    enCours_.pop_front();
    ecrites_.append(plusAncienne.get());
}

void EcrituresDePages::lancer(QImage page, std::unique_ptr<Sortie> sortie)
{
    const double pixels = static_cast<double>(page.width()) * page.height();
    enCours_.push_back({std::async(std::launch::async,
                          [page = std::move(page), sortie = std::move(sortie), format = format_]() mutable {
                              poserSurBlanc(page);
                              return ecrirePage(page, format, *sortie);
                          }),
                        pixels});
}

QStringList EcrituresDePages::finir()
{
    while (!enCours_.empty())
        attendre();
    return ecrites_;
}

} // namespace Conversions
