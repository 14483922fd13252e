// The wheel's paint costs: from a drag's files reaching the wheel state to the first frame,
// and one settled frame at scale 2 with nine petals and the tools arc open.
#include "Principal.h"
#include "roue/EtatRoue.h"
#include "roue/Retouche.h"
#include "roue/VueRoue.h"
#include "roue/ZoneDepot.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
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

void peindre(Roue::VueRoue& vue, QImage& im)
{
    im.fill(Qt::transparent);
    QPainter p(&im);
    vue.peindre(p);
}

// Nine petals for one image, with the edit petal last.
void neufPetales(Roue::EtatRoue& etat)
{
    const Roue::Retouche offre = Roue::Retouche::offreImage();
    QList<Conversions::Petale> petales;
    for (const char* id : {"jpg", "png", "webp", "pdf", "leger", "ocr", "detour", "zip"})
        petales.append({QString::fromLatin1(id), QString::fromLatin1(id).toUpper(), QStringLiteral("photo"), {}});
    petales.append(offre.petale());
    etat.setRetouche(offre);
    etat.setPetales(petales);
    etat.setOuverte(true);
    etat.setPanneau(true);
    etat.setOutil(1);
}

// A drag enters the drop target (files read, catalogue, edit offer with its application
// look-up, state filled, pointer placed), then the first frame is painted. Kinds of drags
// already seen once, as in a session.
void EntreeJusquaPremiereImage(benchmark::State& s)
{
    QTemporaryDir dossier;
    const auto fichier = [&](const char* nom) {
        const QString c = dossier.filePath(QString::fromLatin1(nom));
        QFile f(c);
        if (f.open(QIODevice::WriteOnly))
            f.write("x");
        return QUrl::fromLocalFile(c);
    };
    const QList<QUrl> glisses[] = {{fichier("Page 001.pdf")}, {fichier("photo.png")},
                                   {fichier("a.mp3"), fichier("b.mp3")}, {fichier("film.mov")},
                                   {fichier("notes.txt")}, {fichier("a.zip")}};
    Roue::EtatRoue etat;
    Roue::ZoneDepot zone(etat);
    auto* vue = new Roue::VueRoue(etat);
    zone.accueillir(vue);
    etat.setOuverte(true);
    vue->stabiliser();
    QImage im = toile();
    int i = 0;
    for (auto _ : s) {
        QMimeData donnees;
        donnees.setUrls(glisses[i++ % 6]);
        QDragEnterEvent entree(QPoint(438, 320), Qt::CopyAction, &donnees, Qt::LeftButton, Qt::ShiftModifier);
        QCoreApplication::sendEvent(&zone, &entree);
        peindre(*vue, im);
        s.PauseTiming();
        QDragLeaveEvent sortie;
        QCoreApplication::sendEvent(&zone, &sortie);
        s.ResumeTiming();
    }
}
BENCHMARK(EntreeJusquaPremiereImage)->Unit(benchmark::kMillisecond);

// The same for a drag whose petals were never drawn: every cell is made afresh.
void EntreeFroide(benchmark::State& s)
{
    Roue::EtatRoue etat;
    Roue::VueRoue vue(etat);
    etat.setOuverte(true);
    vue.stabiliser();
    QImage im = toile();
    int i = 0;
    for (auto _ : s) {
        QList<Conversions::Petale> petales;
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
    Roue::EtatRoue etat;
    Roue::VueRoue vue(etat);
    neufPetales(etat);
    vue.stabiliser();
    QImage im = toile();
    for (auto _ : s)
        peindre(vue, im);
}
BENCHMARK(ImageNeufPetalesArcOuvert)->Unit(benchmark::kMillisecond);

// A frame while a hovered petal springs out: it is resampled, the others are copied.
void ImagePendantLeSurvol(benchmark::State& s)
{
    Roue::EtatRoue etat;
    Roue::VueRoue vue(etat);
    neufPetales(etat);
    etat.setPanneau(false);
    etat.setOutil(std::nullopt);
    vue.stabiliser();
    QImage im = toile();
    int i = 0;
    for (auto _ : s) {
        if (!vue.animateur().actif())
            etat.setSurvol(i++ % 8);
        vue.animateur().avancer(1.0 / 60);
        peindre(vue, im);
    }
}
BENCHMARK(ImagePendantLeSurvol)->Unit(benchmark::kMillisecond);

// A frame while the tab grows: the blurred rim cannot come from the cache.
void ImagePendantLOnglet(benchmark::State& s)
{
    Roue::EtatRoue etat;
    Roue::VueRoue vue(etat);
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
    return lancerLesBancs(argc, argv);
}
