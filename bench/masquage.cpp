// The mask and annotate tools' picture work: detection on a 12-megapixel photo of a printed
// page against the tesseract command line on the same picture; blur and mask of a
// 24-megapixel photo; 50 annotations flattened onto it; the whole road of a 100-megapixel
// photo (read, detection, blur, mask, save) with the process's peak memory.
// Run by hand: build/bench/bench_masquage

#include "Comparaison.h"

#include "conversions/images/Images.h"
#include "fenetres/annoter/modele/Annotation.h"
#include "fenetres/masquer/modele/Masquage.h"
#include "fenetres/commun/modele/Photo.h"
#include "fenetres/retouches/Retouches.h"

#include <QGuiApplication>
#include <QPainter>
#include <QRandomGenerator>
#include <sys/resource.h>

namespace {

using Comparaison::dossierDeTravail;
using Comparaison::mesurer;
using Comparaison::outil;
using Comparaison::photoDetaillee;

const QString page = dossierDeTravail(QStringLiteral("page.png"));
const QString photo = dossierDeTravail(QStringLiteral("photo.jpg"));
const QString enorme = dossierDeTravail(QStringLiteral("enorme.jpg"));
QImage pageLue, grande;

// A page of 40 lines of text, some holding an address or a number, on a greyish sheet.
QImage imprimer()
{
    QImage image(4000, 3000, QImage::Format_RGBX8888);
    image.fill(QColor(236, 233, 226));
    QPainter p(&image);
    QFont f(QStringLiteral("DejaVu Serif"));
    f.setPixelSize(44);
    p.setFont(f);
    p.setPen(QColor(30, 30, 34));
    const QStringList lignes{
        QStringLiteral("Madame, Monsieur, nous vous remercions de votre courrier du 12 mars dernier"),
        QStringLiteral("et vous confirmons la prise en compte de votre demande de rendez-vous."),
        QStringLiteral("Pour toute question, écrivez à service.clients@exemple-mutuelle.fr ou"),
        QStringLiteral("appelez notre conseiller au 01 42 68 53 00 du lundi au vendredi."),
        QStringLiteral("Le prélèvement sera fait sur la carte 4970 1012 3456 7890 chaque mois."),
    };
    for (int i = 0; i < 40; ++i)
        p.drawText(300, 260 + i * 66, lignes[i % lignes.size()]);
    return image;
}

void preparer()
{
    pageLue = imprimer();
    pageLue.save(page);
    photoDetaillee(photo, QStringLiteral("6000x4000"));
    grande = Conversions::redressee(photo);
    outil(QStringLiteral("ffmpeg"), {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc2=size=10000x10000", "-frames:v", "1",
                                     "-q:v", "3", enorme});
}

void Detection(benchmark::State& etat)
{
    qsizetype n = 0;
    mesurer(etat, "détection, page de 12 Mpx", false, [&] { n = Retouches::infosSensibles(pageLue).size(); });
    etat.counters["zones"] = double(n);
}
void DetectionTesseract(benchmark::State& etat)
{
    mesurer(etat, "détection, page de 12 Mpx", true, [] {
        outil(QStringLiteral("tesseract"), {page, "stdout", "-l", "fra+eng"});
    });
}

// The window's two steps: the blurred copy at opening, the composition at saving.
void FlouEtMasque(benchmark::State& etat)
{
    QList<QRectF> zones;
    for (int i = 0; i < 12; ++i)
        zones << QRectF(300 + i * 450, 200 + i * 300, 900, 140);
    mesurer(etat, "flou et masque, 24 Mpx", false, [&] {
        benchmark::DoNotOptimize(Retouches::masquer(grande, Retouches::flouter(grande), zones));
    });
}

void Annotations(benchmark::State& etat)
{
    QList<Annotation> marques;
    auto* hasard = QRandomGenerator::global();
    for (int i = 0; i < 50; ++i) {
        const QPointF a(hasard->bounded(6000), hasard->bounded(4000)), b(hasard->bounded(6000), hasard->bounded(4000));
        const auto genre = Annotation::Genre(i % 3);
        marques << Annotation{genre, a, genre == Annotation::Genre::texte ? a : b,
                              genre == Annotation::Genre::texte ? QStringLiteral("Regardez ici") : QString(),
                              couleursAnnotation()[size_t(i % 6)]};
    }
    mesurer(etat, "50 annotations, 24 Mpx", false, [&] { benchmark::DoNotOptimize(Retouches::annoter(grande, marques)); });
}

void Enorme(benchmark::State& etat)
{
    QString cree;
    mesurer(etat, "100 Mpx : lecture, détection, flou, masque, écriture", false, [&] {
        const Photo p = Photo::charger(enorme);
        const QList<QRectF> zones = Retouches::infosSensibles(p.image) << QRectF(100, 100, 3000, 2000);
        cree = Retouches::enregistrer(Retouches::masquer(p.image, Retouches::flouter(p.image), zones), enorme,
                                      QStringLiteral("masquée"));
    }, [&] { QFile::remove(cree); });
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    etat.counters["pic Mo"] = double(r.ru_maxrss) / 1024;
}

BENCHMARK(Detection)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(DetectionTesseract)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(FlouEtMasque)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Annotations)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Enorme)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return Comparaison::lancer<QGuiApplication>(argc, argv, preparer);
}
