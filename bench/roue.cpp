// The wheel's paint costs: from a drag's files reaching the wheel state to the first frame,
// and one settled frame at scale 2 with nine petals and the tools arc open.
#include "roue/EtatRoue.h"
#include "roue/Offre.h"
#include "roue/Retouche.h"
#include "roue/VueRoue.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

namespace {

QImage toile()
{
    QImage im(1280, 1280, QImage::Format_ARGB32_Premultiplied);
    im.setDevicePixelRatio(2);
    return im;
}

void peindre(VueRoue& vue, QImage& im)
{
    im.fill(Qt::transparent);
    QPainter p(&im);
    vue.peindre(p);
}

// Nine petals for one image, with the edit petal last.
void neufPetales(EtatRoue& etat)
{
    const Retouche offre = Retouche::offreImage();
    QList<Petale> petales;
    for (const char* id : {"jpg", "png", "webp", "pdf", "leger", "ocr", "detour", "zip"})
        petales.append({QString::fromLatin1(id), QString::fromLatin1(id).toUpper(), QStringLiteral("photo"), {}});
    petales.append(offre.petale());
    etat.setRetouche(offre);
    etat.setPetales(petales);
    etat.setOuverte(true);
    etat.setPanneau(true);
    etat.setOutil(1);
}

// A drag enters: the state is filled for the dragged files (catalogue, edit offer with its
// application look-up, centre text, pointer), then the first frame is painted. Kinds of drags
// already seen once, as in a session.
void remplir(EtatRoue& etat, const QStringList& fichiers)
{
    const Offre offre = Roue::offre(fichiers);
    etat.setRetouche(offre.retouche);
    etat.setPetales(offre.petales);
    etat.setOutil(std::nullopt);
    etat.setPanneau(false);
    etat.setCentre(offre.centre);
    etat.viser({438, 320});
}

void EntreeJusquaPremiereImage(benchmark::State& s)
{
    EtatRoue etat;
    VueRoue vue(etat);
    etat.setOuverte(true);
    vue.stabiliser();
    QImage im = toile();
    const QStringList glisses[] = {{QStringLiteral("/x/Page 001.pdf")}, {QStringLiteral("/x/photo.png")},
                                   {QStringLiteral("/x/a.mp3"), QStringLiteral("/x/b.mp3")},
                                   {QStringLiteral("/x/film.mov")}, {QStringLiteral("/x/notes.txt")},
                                   {QStringLiteral("/x/a.zip")}};
    int i = 0;
    for (auto _ : s) {
        remplir(etat, glisses[i++ % 6]);
        peindre(vue, im);
    }
}
BENCHMARK(EntreeJusquaPremiereImage)->Unit(benchmark::kMillisecond);

// The same for a drag whose petals were never drawn: every cell is made afresh.
void EntreeFroide(benchmark::State& s)
{
    EtatRoue etat;
    VueRoue vue(etat);
    etat.setOuverte(true);
    vue.stabiliser();
    QImage im = toile();
    int i = 0;
    for (auto _ : s) {
        QList<Petale> petales;
        for (int k = 0; k < 8; ++k)
            petales.append({QStringLiteral("p%1").arg(k), QStringLiteral("P%1-%2").arg(k).arg(i), QStringLiteral("photo"), {}});
        ++i;
        etat.setPetales(petales);
        etat.viser({438, 320});
        peindre(vue, im);
    }
}
BENCHMARK(EntreeFroide)->Unit(benchmark::kMillisecond);

void ImageNeufPetalesArcOuvert(benchmark::State& s)
{
    EtatRoue etat;
    VueRoue vue(etat);
    neufPetales(etat);
    vue.stabiliser();
    QImage im = toile();
    for (auto _ : s)
        peindre(vue, im);
}
BENCHMARK(ImageNeufPetalesArcOuvert)->Unit(benchmark::kMillisecond);

// A frame while the tab grows: the blurred rim cannot come from the cache.
void ImagePendantLOnglet(benchmark::State& s)
{
    EtatRoue etat;
    VueRoue vue(etat);
    neufPetales(etat);
    vue.stabiliser();
    etat.setPanneau(false);
    QImage im = toile();
    for (auto _ : s) {
        if (!vue.animateur().actif())
            etat.setPanneau(!etat.panneau());
        vue.animateur().avancer(1.0 / 60);
        peindre(vue, im);
    }
}
BENCHMARK(ImagePendantLOnglet)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
