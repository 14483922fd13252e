#include "conversions/images/Ocr.h"

#include "conversions/images/Images.h"
#include "conversions/images/Vips.h"
#include "conversions/Journaux.h"
#include "conversions/LocaleDuFil.h"
#include "conversions/FichierDeSortie.h"
#include "conversions/Sortie.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cmath>
#include <memory>
#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

// libgomp comes with the recogniser; declared weak so a build without it still links.
extern "C" void omp_set_max_active_levels(int) __attribute__((weak));

using vips::VImage;

namespace Conversions {

namespace {

// The recogniser parses its data with the C number format: switch this thread to it
// for the time of a call, without touching the rest of the process.
class LocaleC : public LocaleDuFil {
public:
    LocaleC() : LocaleDuFil(LC_ALL_MASK, "C") {}
};

[[noreturn]] void indisponible()
{
    throw Erreur::rien(QCoreApplication::translate(
        "Conversions", "La reconnaissance de texte n’est pas disponible sur ce système"));
}

// One engine per thread: starting one costs a third of a second, so it is kept.
tesseract::TessBaseAPI& moteur()
{
    thread_local std::unique_ptr<tesseract::TessBaseAPI> api;
    if (!api) {
        // The recogniser would start a team of threads per call, and teams of several
        // engines fight over the cores: one thread per engine, pages and files in
        // parallel instead. Set on this thread before its engine is made.
        if (omp_set_max_active_levels)
            omp_set_max_active_levels(0);
        auto nouveau = std::make_unique<tesseract::TessBaseAPI>();
        if (nouveau->Init(nullptr, "fra+eng", tesseract::OEM_LSTM_ONLY) != 0) {
            qCWarning(journalImages).noquote() << QStringLiteral("tesseract : données fra+eng introuvables");
            indisponible();
        }
        nouveau->SetVariable("debug_file", "/dev/null");
        nouveau->SetPageSegMode(tesseract::PSM_AUTO);
        api = std::move(nouveau);
    }
    return *api;
}

// How sure of a line the recogniser must be (0 to 100), and how many letters or digits it
// must hold. Words scattered over a photo are read among many shapes that look like
// letters: there only the surest words of some length count.
struct Exigence {
    float confiance;
    int lettres;
};
constexpr Exigence pourUnePage{55.0f, 2};
constexpr Exigence pourDesMotsEpars{85.0f, 3};

// Whether a line that the recogniser read looks like text rather than noise from a picture:
// enough letters or digits among its signs, read with enough confidence.
bool ligneCredible(const QString& ligne, float confiance, Exigence exigence)
{
    if (confiance < exigence.confiance)
        return false;
    int signes = 0;
    int lettres = 0;
    for (const QChar c : ligne) {
        if (c.isSpace())
            continue;
        ++signes;
        if (c.isLetterOrNumber())
            ++lettres;
    }
    return lettres >= exigence.lettres && 2 * lettres >= signes;
}

// What one pass read: its believable lines and how many words they hold.
struct Lecture {
    QString texte;
    qsizetype mots = 0;
};

Lecture lignes(tesseract::TessBaseAPI& api, Exigence exigence)
{
    Lecture lue;
    QStringList texte;
    std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
    if (!it)
        return lue;
    do {
        std::unique_ptr<char[]> brut(it->GetUTF8Text(tesseract::RIL_TEXTLINE));
        if (!brut)
            continue;
        const QString ligne = QString::fromUtf8(brut.get()).trimmed();
        if (ligneCredible(ligne, it->Confidence(tesseract::RIL_TEXTLINE), exigence)) {
            texte.append(ligne);
            lue.mots += ligne.split(QLatin1Char(' '), Qt::SkipEmptyParts).size();
        }
    } while (it->Next(tesseract::RIL_TEXTLINE));
    lue.texte = texte.join(QLatin1Char('\n'));
    return lue;
}

Lecture lire(tesseract::TessBaseAPI& api, const QImage& gris, int resolution, tesseract::PageSegMode mode)
{
    api.SetPageSegMode(mode);
    api.SetImage(gris.constBits(), gris.width(), gris.height(), 1, static_cast<int>(gris.bytesPerLine()));
    // Without a resolution the recogniser estimates one from the size of the text: a
    // forced one makes it miss large letters in photos.
    if (resolution > 0)
        api.SetSourceResolution(resolution);
    const bool lu = api.Recognize(nullptr) == 0;
    const Lecture lue = lu ? lignes(api, mode == tesseract::PSM_SPARSE_TEXT ? pourDesMotsEpars : pourUnePage)
                           : Lecture{};
    api.Clear();
    api.SetPageSegMode(tesseract::PSM_AUTO);  // what every other user of the engine expects
    if (!lu)
        throw Erreur::rien(QCoreApplication::translate("Conversions", "La reconnaissance de texte a échoué"));
    return lue;
}

// A page of text scanned: large, and nearly all its pixels near black or near white.
// Photos and screenshots are neither.
bool pageScannee(const QImage& gris)
{
    if (std::max(gris.width(), gris.height()) < 1600)
        return false;
    qint64 tons = 0, extremes = 0;
    for (int y = 0; y < gris.height(); y += 4) {
        const uchar* ligne = gris.constScanLine(y);
        for (int x = 0; x < gris.width(); x += 4, ++tons)
            extremes += ligne[x] < 64 || ligne[x] > 192;
    }
    return extremes * 10 >= tons * 9;
}

// Small letters of a sign in a photo are read once enlarged: twice, as far as 4000 pixels.
constexpr int coteAgrandiAuPlus = 4000;

// The resolution the file declares, in dots per inch; 0 when it declares none that is
// believable (libvips gives one pixel per millimetre to files that say nothing).
int resolutionDe(const VImage& image)
{
    const double ppp = image.xres() * 25.4;
    return ppp >= 70 && ppp <= 2400 ? static_cast<int>(std::lround(ppp)) : 0;
}

} // namespace

QString lireTexte(const QImage& image, int resolution)
{
    if (image.isNull())
        return {};
    const QImage gris = (image.hasAlphaChannel() ? aplatir(image) : image)
                            .convertToFormat(QImage::Format_Grayscale8);
    LocaleC c;
    tesseract::TessBaseAPI& api = moteur();
    const Lecture page = lire(api, gris, resolution, tesseract::PSM_AUTO);
    if (page.mots > 0 || pageScannee(gris))
        return page.texte;
    // The layout pass found no word it believes in a picture that is no scan: text in a
    // photo (signs, labels) is read scattered, enlarged.
    const double facteur = std::min(2.0, double(coteAgrandiAuPlus) / std::max(gris.width(), gris.height()));
    const QImage agrandie = facteur > 1.0 ? gris.scaled(gris.size() * facteur, Qt::IgnoreAspectRatio,
                                                        Qt::SmoothTransformation)
                                          : gris;
    const int resolutionAgrandie = resolution > 0 ? static_cast<int>(std::lround(resolution * facteur)) : 0;
    const Lecture eparse = lire(api, agrandie, resolutionAgrandie, tesseract::PSM_SPARSE_TEXT);
    return eparse.mots > page.mots ? eparse.texte : page.texte;
}

namespace {

// Letters are read a few dozen pixels high: a picture larger than an A4 page at 600 dpi
// is read reduced to that many pixels, its resolution reduced alike.
constexpr double pixelsLusAuPlus = 36e6;

} // namespace

QString texteDeLImage(const QString& source)
{
    const VImage entete = ouvrirImage(source);
    const int cote = std::max(entete.width(), entete.height());
    const double echelle = std::sqrt(pixelsLusAuPlus / (static_cast<double>(entete.width()) * entete.height()));
    const QImage image =
        redressee(entete, source, echelle < 1.0 ? std::optional(static_cast<int>(cote * echelle)) : std::nullopt);
    const double reduction = static_cast<double>(std::max(image.width(), image.height())) / cote;
    const QString texte = lireTexte(image, static_cast<int>(std::lround(resolutionDe(entete) * reduction)));
    if (texte.isEmpty())
        throw Erreur::rien(QCoreApplication::translate("Conversions", "Aucun texte dans « %1 »")
                               .arg(QFileInfo(source).fileName()));
    Sortie sortie = Sortie::apres(source, {}, QStringLiteral("txt"));
    ecrireDans(sortie, texte.toUtf8());
    return sortie.valider();
}

void avecReconnaissance(const std::function<void(tesseract::TessBaseAPI&)>& travail)
{
    LocaleC c;
    tesseract::TessBaseAPI& api = moteur();
    struct Nettoyer {
        tesseract::TessBaseAPI& api;
        ~Nettoyer() { api.Clear(); }
    } nettoyer{api};
    travail(api);
}

} // namespace Conversions
