#include "conversions/images/SensDuTexte.h"

#include "conversions/Journaux.h"
#include "conversions/travail/LocaleDuFil.h"

#include <QTransform>
#include <memory>
#include <mutex>
#include <tesseract/baseapi.h>

namespace Conversions {

namespace {

// Below this the detector is guessing: a page of a few lines already gives more than 2.
constexpr float confianceAuMoins = 1.5f;

// One detector per thread, like the recognisers; null when its data is missing.
tesseract::TessBaseAPI* detecteur()
{
    thread_local std::unique_ptr<tesseract::TessBaseAPI> api;
    thread_local bool essaye = false;
    if (!essaye) {
        essaye = true;
        auto nouveau = std::make_unique<tesseract::TessBaseAPI>();
        if (nouveau->Init(nullptr, "osd", tesseract::OEM_TESSERACT_ONLY) != 0) {
            static std::once_flag une;
            std::call_once(une, [] {
                qCWarning(journalImages).noquote()
                    << QStringLiteral("tesseract : données osd introuvables, les pages tournées sont lues telles quelles");
            });
            return nullptr;
        }
        nouveau->SetVariable("debug_file", "/dev/null");
        nouveau->SetPageSegMode(tesseract::PSM_OSD_ONLY);
        api = std::move(nouveau);
    }
    return api.get();
}

} // namespace

int sensDuTexte(const QImage& gris, int resolution)
{
    const LocaleDuFil c(LC_ALL_MASK, "C");  // the recogniser parses its data with it
    tesseract::TessBaseAPI* api = detecteur();
    if (!api || gris.isNull())
        return 0;
    api->SetImage(gris.constBits(), gris.width(), gris.height(), 1, static_cast<int>(gris.bytesPerLine()));
    if (resolution > 0)
        api->SetSourceResolution(resolution);
    int degres = 0;
    float confiance = 0;
    const char* ecriture = nullptr;
    float confianceEcriture = 0;
    const bool vu = api->DetectOrientationScript(&degres, &confiance, &ecriture, &confianceEcriture);
    api->Clear();
    if (!vu || confiance < confianceAuMoins)
        return 0;
    return ((degres % 360) + 360) % 360;
}

QImage redresserTexte(const QImage& gris, int degres)
{
    return degres == 0 ? gris : gris.transformed(QTransform().rotate(-degres));
}

} // namespace Conversions
