// The design system's paint costs: one frame of the whole gallery at scale 2, the frames of a
// tab change, and what an idle-looking mascot costs a core while shown and while hidden.
#include "../tests/outils/Galerie.h"
#include "Principal.h"
#include "tesselreverie/ReveriePolices.h"
#include "tesselui/BundledFonts.h"
#include "tesselui/Motion.h"

#include <QElapsedTimer>
#include <QImage>
#include <QEventLoop>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <ctime>

namespace {

// Runs the event loop for `ms`.
void attendre(int ms)
{
    QEventLoop boucle;
    QTimer::singleShot(ms, &boucle, &QEventLoop::quit);
    boucle.exec();
}

void polices()
{
    static const bool faites = [] {
        BundledFonts::register_();
        ReveriePolices::inscrire();
        Motion::reduire() = false;
        return true;
    }();
    (void)faites;
}

QImage toile(QSize taille)
{
    QImage im(taille * 2, QImage::Format_ARGB32_Premultiplied);
    im.setDevicePixelRatio(2);
    return im;
}

void ImageGalerieEchelle2(benchmark::State& s)
{
    polices();
    galerie::Galerie g;
    g.resize(g.sizeHint());
    g.show();
    attendre(50);
    QImage im = toile(g.size());
    for (auto _ : s) {
        g.render(&im, QPoint(), QRegion(), QWidget::DrawChildren);  // the columns paint their own canvas
        benchmark::DoNotOptimize(im.constBits());
    }
    s.counters["largeur"] = g.width();
    s.counters["hauteur"] = g.height();
}
BENCHMARK(ImageGalerieEchelle2)->Unit(benchmark::kMillisecond);

// One frame of a tab change: the pill moves one step of 1/60 s, then the bar is painted.
void ImagePendantUnChangementDOnglet(benchmark::State& s)
{
    polices();
    PillTabBar barre({{"image", "Images", "."}, {"film", "Vidéos", "."}, {"file-text", "Textes", "."}, {"archive", "Zip", "."}},
                     true);
    barre.resize(240, 32);
    barre.show();
    QImage im = toile(barre.size());
    int cible = 0;
    for (auto _ : s) {
        if (!barre.animateur().actif()) {
            cible = (cible + 1) % 4;
            barre.setSelection(cible);
        }
        barre.animateur().avancer(1.0 / 60);
        barre.render(&im);
        benchmark::DoNotOptimize(im.constBits());
    }
}
BENCHMARK(ImagePendantUnChangementDOnglet)->Unit(benchmark::kMicrosecond);

// The share of one core the process spends during `secondes` of event loop.
double partDUnCoeur(double secondes)
{
    QElapsedTimer mur;
    const std::clock_t avant = std::clock();
    mur.start();
    attendre(int(secondes * 1000));
    return 100.0 * double(std::clock() - avant) / CLOCKS_PER_SEC / (mur.nsecsElapsed() / 1e9);
}

void RezuzAuRepos(benchmark::State& s)
{
    polices();
    Rezuz r(40);
    for (auto _ : s) {
        r.show();
        attendre(100);
        s.counters["montre_pourcent_coeur"] = partDUnCoeur(4);
        r.hide();
        s.counters["cache_pourcent_coeur"] = partDUnCoeur(2);
        s.counters["minuteries_cache"] = r.liveRunning() || r.framesRunning();
    }
}
BENCHMARK(RezuzAuRepos)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv) { return lancerLesBancs(argc, argv); }
