// Cost of a drag entering the drop target (reading the files, the catalogue, the sibling
// application look-up, filling the state) and of the hit test run on every move.
#include "roue/EtatRoue.h"
#include "roue/Geometrie.h"
#include "roue/ZoneDepot.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <benchmark/benchmark.h>

namespace {

QTemporaryDir* dossier = nullptr;

QString fichier(const QString& nom)
{
    const QString c = dossier->filePath(nom);
    QFile f(c);
    if (f.open(QIODevice::WriteOnly))
        f.write("x");
    return c;
}

void entrer(benchmark::State& state, const QStringList& chemins)
{
    Roue::EtatRoue etat;
    Roue::ZoneDepot zone(etat);
    QMimeData donnees;
    QList<QUrl> urls;
    for (const QString& c : chemins)
        urls << QUrl::fromLocalFile(c);
    donnees.setUrls(urls);
    for (auto _ : state) {
        QDragEnterEvent e(QPoint(320, 180), Qt::CopyAction, &donnees, Qt::LeftButton, Qt::ShiftModifier);
        QCoreApplication::sendEvent(&zone, &e);
        QDragLeaveEvent l;
        QCoreApplication::sendEvent(&zone, &l);
        benchmark::DoNotOptimize(etat.petales().size());
    }
}

void EntreeUneImage(benchmark::State& state) { entrer(state, {fichier("photo.png")}); }
void EntreeUnPDF(benchmark::State& state) { entrer(state, {fichier("contrat.pdf")}); }
void EntreeTroisSons(benchmark::State& state)
{
    entrer(state, {fichier("a.wav"), fichier("b.wav"), fichier("c.wav")});
}

// A pointer circling over the ring and the tools band of an open arc.
void Viser(benchmark::State& state)
{
    Roue::EtatRoue etat;
    QList<Conversions::Petale> petales(8, Conversions::Petale{"jpg", "JPG", "photo", std::nullopt});
    const Roue::Retouche r = Roue::Retouche::offreImage();
    petales.append(r.petale());
    etat.setRetouche(r);
    etat.setPetales(petales);
    int i = 0;
    for (auto _ : state) {
        etat.viser(Roue::point(i % 360, 100 + (i * 7) % 200));
        ++i;
    }
}

} // namespace

BENCHMARK(EntreeUneImage)->Unit(benchmark::kMicrosecond);
BENCHMARK(EntreeUnPDF)->Unit(benchmark::kMicrosecond);
BENCHMARK(EntreeTroisSons)->Unit(benchmark::kMicrosecond);
BENCHMARK(Viser);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir d;
    dossier = &d;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
