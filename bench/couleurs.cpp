// The cost of colour management on a 24-megapixel photo: the same pixels as a wide-gamut
// (Adobe RGB) photo, converted to sRGB on the way, against a photo without a profile.
// Goal: under 10 % more. Run by hand: build/bench/bench_couleurs

#include "Comparaison.h"

#include "conversions/Conversions.h"

#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

namespace {

QString source(bool large) { return Comparaison::dossierDeTravail(large ? "large.jpg" : "simple.jpg"); }

// A 6000 × 4000 photo-like picture: soft gradients under fine noise.
void preparer()
{
    QImage image(6000, 4000, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient g(0, 0, 6000, 4000);
    g.setColorAt(0, QColor(200, 60, 40));
    g.setColorAt(0.5, QColor(60, 160, 80));
    g.setColorAt(1, QColor(40, 70, 190));
    p.fillRect(image.rect(), g);
    p.end();
    QRandomGenerator aleas(11);
    for (int y = 0; y < image.height(); ++y) {
        auto* ligne = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int n = static_cast<int>(aleas.bounded(24u)) - 12;
            const QRgb c = ligne[x];
            ligne[x] = qRgb(qBound(0, qRed(c) + n, 255), qBound(0, qGreen(c) + n, 255), qBound(0, qBlue(c) + n, 255));
        }
    }
    // Both written by libvips at the same quality, so they decode at the same cost.
    const QString base = Comparaison::dossierDeTravail("base.png");
    image.save(base, "PNG", 100);
    Comparaison::outil("vips", {"copy", base, source(false) + "[Q=92,strip]"});
    Comparaison::outil("vips", {"icc_transform", base, source(true) + "[Q=92]",
                                "/usr/share/color/icc/colord/AdobeRGB1998.icc", "--input-profile", "srgb"});
}

void convertir(benchmark::State& state, const char* id, bool large)
{
    QStringList crees;
    Comparaison::mesurer(state, std::string(id) + " 24 Mpx", !large,
                         [&] { crees = Conversions::convertir({source(large)}, id, {}).crees; },
                         [&] {
                             for (const QString& c : crees)
                                 QFile::remove(c);
                         });
}

void BM_WebP(benchmark::State& s) { convertir(s, "webp", true); }
void BM_WebPSansProfil(benchmark::State& s) { convertir(s, "webp", false); }
void BM_Legere(benchmark::State& s) { convertir(s, "leger", true); }
void BM_LegereSansProfil(benchmark::State& s) { convertir(s, "leger", false); }

} // namespace

BENCHMARK(BM_WebP)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WebPSansProfil)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Legere)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LegereSansProfil)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return Comparaison::lancer(argc, argv, preparer);
}
