#include "conversions/images/Ocr.h"

#include "conversions/images/Images.h"
#include "conversions/images/Vips.h"
#include "conversions/Journaux.h"
#include "conversions/Sortie.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <clocale>
#include <cmath>
#include <locale.h>
#include <memory>
#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

// libgomp comes with the recogniser; declared weak so a build without it still links.
extern "C" void omp_set_max_active_levels(int) __attribute__((weak));

namespace Conversions {

namespace {

constexpr float confianceMinimale = 55.0f;

// The recogniser parses its data with the C number format: switch this thread to it
// for the time of a call, without touching the rest of the process.
class LocaleC {
public:
    LocaleC() : c_(newlocale(LC_ALL_MASK, "C", nullptr)), avant_(c_ ? uselocale(c_) : nullptr) {}
    ~LocaleC()
    {
        if (c_) {
            uselocale(avant_);
            freelocale(c_);
        }
    }
    LocaleC(const LocaleC&) = delete;
    LocaleC& operator=(const LocaleC&) = delete;

private:
    locale_t c_;
    locale_t avant_;
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

// Whether a line that the recogniser read looks like text rather than noise from a picture:
// enough letters or digits among its signs, read with enough confidence (0 to 100).
bool ligneCredible(const QString& ligne, float confiance)
{
    if (confiance < confianceMinimale)
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
    return lettres >= 2 && 2 * lettres >= signes;
}

QString lignes(tesseract::TessBaseAPI& api)
{
    QStringList texte;
    std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
    if (!it)
        return {};
    do {
        std::unique_ptr<char[]> brut(it->GetUTF8Text(tesseract::RIL_TEXTLINE));
        if (!brut)
            continue;
        const QString ligne = QString::fromUtf8(brut.get()).trimmed();
        if (ligneCredible(ligne, it->Confidence(tesseract::RIL_TEXTLINE)))
            texte.append(ligne);
    } while (it->Next(tesseract::RIL_TEXTLINE));
    return texte.join(QLatin1Char('\n'));
}

// The resolution the file declares, in dots per inch; 0 when it declares none that is
// believable (libvips gives one pixel per millimetre to files that say nothing).
int resolutionDe(const QString& source)
{
    const double ppp = ouvrirImage(source).xres() * 25.4;
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
    api.SetImage(gris.constBits(), gris.width(), gris.height(), 1, static_cast<int>(gris.bytesPerLine()));
    // Without a resolution the recogniser estimates one from the size of the text: a
    // forced one makes it miss large letters in photos.
    if (resolution > 0)
        api.SetSourceResolution(resolution);
    const bool lu = api.Recognize(nullptr) == 0;
    const QString texte = lu ? lignes(api) : QString();
    api.Clear();
    if (!lu)
        throw Erreur::rien(QCoreApplication::translate("Conversions", "La reconnaissance de texte a échoué"));
    return texte;
}

QString texteDeLImage(const QString& source)
{
    const QString texte = lireTexte(redressee(source), resolutionDe(source));
    if (texte.isEmpty())
        throw Erreur::rien(QCoreApplication::translate("Conversions", "Aucun texte dans « %1 »")
                               .arg(QFileInfo(source).fileName()));
    Sortie sortie = Sortie::apres(source, {}, QStringLiteral("txt"));
    QFile f(sortie.temporaire());
    const QByteArray utf8 = texte.toUtf8();
    if (!f.open(QIODevice::WriteOnly) || f.write(utf8) != utf8.size() || !f.flush())
        throw Erreur::ecriture(sortie.nom());
    f.close();
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
