// The tool windows' picture work: the light preview of a 1400-pixel photo (a slider drag
// renders it at every change), the full-size light and crop saves of a 24-megapixel JPEG
// against the vips command line doing the same work, and the sample cut of a one-hour WAV
// against sox trim.
// Run by hand: build/bench/bench_fenetres

#include "Comparaison.h"

#include "conversions/images/Images.h"
#include "fenetres/rogner/modele/Cadre.h"
#include "fenetres/lumiere/modele/Reglages.h"
#include "fenetres/retouches/Retouches.h"

namespace {

using Comparaison::dossierDeTravail;
using Comparaison::mesurer;
using Comparaison::outil;
using Comparaison::photoDetaillee;

const QString photo = dossierDeTravail(QStringLiteral("photo.jpg"));
const QString son = dossierDeTravail(QStringLiteral("une heure.wav"));
QImage apercu;

void preparer()
{
    photoDetaillee(photo, QStringLiteral("6000x4000"));
    outil(QStringLiteral("ffmpeg"), {"-v", "error", "-y", "-f", "lavfi", "-i", "anoisesrc=c=pink:r=44100:a=0.2:d=3600",
                                     "-ac", "2", "-c:a", "pcm_s16le", son});
    apercu = Conversions::redressee(photo, 1400);
}

void retirer(const QString& chemin) { QFile::remove(chemin); }

// The preview of a slider drag: colour controls alone, then with the automatic adjustment.
void ApercuCurseurs(benchmark::State& etat)
{
    const Reglages::Filtre f = Reglages::filtre(0.2, 0.15, 0.3);
    for (auto _ : etat)
        benchmark::DoNotOptimize(Reglages::appliquer(f, apercu));
}
void ApercuAutomatique(benchmark::State& etat)
{
    for (auto _ : etat)
        benchmark::DoNotOptimize(
            Reglages::appliquer(Reglages::filtre(0.2, 0.15, 0.3, Reglages::automatique(apercu)), apercu));
}

// A full-size light save; light and contrast alone are the same per-pixel affine map as
// `vips linear`.
void lumiere(benchmark::State& etat, const std::string& nom, double couleurs, bool automatique)
{
    QString cree;
    mesurer(etat, nom, false, [&] {
        cree = Reglages::enregistrer(photo, 0.2, 0.15, couleurs, automatique, QStringLiteral("retouchée"));
    }, [&] { retirer(cree); });
}
void Lumiere(benchmark::State& etat) { lumiere(etat, "lumière 24 Mpx", 0, false); }
void LumiereCouleurs(benchmark::State& etat) { lumiere(etat, "lumière 24 Mpx, couleurs", 0.3, false); }
void LumiereCouleursAuto(benchmark::State& etat) { lumiere(etat, "lumière 24 Mpx, couleurs, auto", 0.3, true); }
void LumiereVips(benchmark::State& etat)
{
    // brightness 0.08 then contrast 1.09 around mid-grey, in 0–255 units
    const double k = 1.09, b = 255 * ((0.08 - 0.5) * k + 0.5);
    mesurer(etat, "lumière 24 Mpx", true, [&] {
        outil(QStringLiteral("vips"), {"linear", photo, dossierDeTravail("vips.jpg") + "[Q=92,strip]",
                                       QString::number(k), QString::number(b), "--uchar"});
    });
}

// The crop: the window holds the decoded photo, so its save is cutting and writing; the
// vips command line reads the file as well. Both figures are printed.
const QRect region = Cadre::region(QRectF(500, 0, 4000, 4000), QSize(6000, 4000));
void Rogner(benchmark::State& etat)
{
    const QImage p = Conversions::redressee(photo);
    QString cree;
    mesurer(etat, "rognage (enregistrement)", false, [&] {
        cree = Retouches::enregistrer(p.copy(region), photo, QStringLiteral("rognée"));
    }, [&] { retirer(cree); });
}
void RognerAvecLecture(benchmark::State& etat)
{
    QString cree;
    mesurer(etat, "rognage (lecture comprise)", false, [&] {
        cree = Retouches::enregistrer(Conversions::redressee(photo).copy(region), photo, QStringLiteral("rognée"));
    }, [&] { retirer(cree); });
}
void RognerVips(benchmark::State& etat)
{
    const auto vips = [] {
        outil(QStringLiteral("vips"), {"crop", photo, dossierDeTravail("vips-crop.jpg") + "[Q=92,strip]",
                                       QString::number(region.x()), QString::number(region.y()),
                                       QString::number(region.width()), QString::number(region.height())});
    };
    mesurer(etat, "rognage (enregistrement)", true, vips);
    Comparaison::mesures()["rognage (lecture comprise)"].reference = Comparaison::mesures()["rognage (enregistrement)"].reference;
}

// 58 minutes out of the hour, sample for sample.
void Couper(benchmark::State& etat)
{
    QString cree;
    mesurer(etat, "coupe WAV d’une heure", false, [&] { cree = Retouches::couper(son, 60, 3540); },
            [&] { retirer(cree); });
}
void CouperSox(benchmark::State& etat)
{
    mesurer(etat, "coupe WAV d’une heure", true, [] {
        outil(QStringLiteral("sox"), {son, dossierDeTravail("sox.wav"), "trim", "60", "=3540"});
    });
}

BENCHMARK(ApercuCurseurs)->Unit(benchmark::kMillisecond);
BENCHMARK(ApercuAutomatique)->Unit(benchmark::kMillisecond);
BENCHMARK(Lumiere)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(LumiereCouleurs)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(LumiereCouleursAuto)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(LumiereVips)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Rogner)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(RognerAvecLecture)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(RognerVips)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Couper)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(CouperSox)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return Comparaison::lancer(argc, argv, preparer);
}
