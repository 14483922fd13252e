#include "conversions/PagesEnImages.h"

#include "conversions/Erreur.h"
#include "conversions/JournalMoteur.h"
#include "conversions/PdfRendu.h"
#include "conversions/Sortie.h"
#include "conversions/Vips.h"

#include <QFile>

using vips::VImage;

namespace Conversions {

QString ecrirePage(const QImage& page, const QString& format, Sortie& sortie)
{
    try {
        const VImage rgb = depuisQImage(page)
                               .extract_band(0, VImage::option()->set("n", 3))
                               .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
        const QByteArray chemin = QFile::encodeName(sortie.temporaire());
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
    if (enCours_.valid())
        enCours_.wait();
}

void EcrituresDePages::attendre()
{
    if (enCours_.valid())
        ecrites_.append(enCours_.get());
}

void EcrituresDePages::lancer(QImage page, std::unique_ptr<Sortie> sortie)
{
    enCours_ = std::async(std::launch::async,
                          [page = std::move(page), sortie = std::move(sortie), format = format_]() mutable {
                              poserSurBlanc(page);
                              return ecrirePage(page, format, *sortie);
                          });
}

QStringList EcrituresDePages::finir()
{
    attendre();
    return ecrites_;
}

} // namespace Conversions
