// PDF pages to PNG and JPEG at 300 dpi against pdftoppm; merge and split against the
// qpdf command line; the page count of a drag entry while pages are drawn; text recognition
// of a scanned PDF. Each pair runs on the same input in the same process.

#include "Comparaison.h"
#include "Principal.h"
#include "conversions/Catalogue.h"
#include "conversions/travail/EnParallele.h"
#include "conversions/Conversions.h"
#include "conversions/pdf/Pdf.h"
#include "conversions/pdf/PagesEnImages.h"
#include "conversions/pdf/PdfRendu.h"
#include "conversions/sorties/Sortie.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <functional>
#include <future>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr int pagesRendues = 20;

// A photo-like picture: gradients and noise, which neither compresses nor draws for free.
QImage photo()
{
    QImage image(900, 600, QImage::Format_RGB32);
    QRandomGenerator aleas(3);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const int bruit = static_cast<int>(aleas.bounded(24u));
            image.setPixel(x, y, qRgb((x * 255 / 900 + bruit) % 256, (y * 255 / 600 + bruit) % 256, 128 + bruit));
        }
    return image;
}

// A4 pages without margins, `resolution` units to the inch.
void enA4(QPdfWriter& writer, int resolution)
{
    writer.setResolution(resolution);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
}

// A4 pages of the usual mix: a column of text, a gradient, a photo, some strokes.
QString document(const QString& chemin, int pages)
{
    QPdfWriter writer(chemin);
    enA4(writer, 72);
    QPainter p(&writer);
    const QImage image = photo();
    QFont police(QStringLiteral("DejaVu Serif"));
    police.setPixelSize(10);
    p.setFont(police);
    for (int i = 0; i < pages; ++i) {
        if (i > 0)
            writer.newPage();
        for (int l = 0; l < 45; ++l)
            p.drawText(QPointF(56, 60 + 12 * l),
                       QStringLiteral("Page %1, ligne %2 : le vif zéphyr jubile sur les kumquats du clown "
                                      "gracieux, dans un texte assez long pour remplir la ligne.")
                           .arg(i + 1).arg(l + 1));
        QLinearGradient degrade(56, 620, 540, 780);
        degrade.setColorAt(0, QColor(200, 40, 40));
        degrade.setColorAt(1, QColor(40, 40, 200));
        p.fillRect(QRectF(56, 620, 230, 160), degrade);
        p.drawImage(QRectF(300, 620, 240, 160), image);
        p.setPen(QPen(Qt::darkGreen, 2));
        p.drawEllipse(QRectF(56, 790, 484, 30));
    }
    return chemin;
}

// Pages of text drawn as pictures at 300 dpi, without a text layer, as a scanner makes them.
QString scan(const QString& chemin, int pages)
{
    QPdfWriter writer(chemin);
    enA4(writer, 300);
    QPainter p(&writer);
    for (int i = 0; i < pages; ++i) {
        if (i > 0)
            writer.newPage();
        QImage page(2480, 3508, QImage::Format_Grayscale8);
        page.fill(Qt::white);
        QPainter q(&page);
        QFont police(QStringLiteral("DejaVu Serif"));
        police.setPixelSize(42);
        q.setFont(police);
        for (int l = 0; l < 40; ++l)
            q.drawText(QPointF(230, 300 + 70 * l),
                       QStringLiteral("Page %1, ligne %2 : le vif zéphyr jubile sur les kumquats.").arg(i + 1).arg(l + 1));
        q.end();
        p.drawImage(QRectF(0, 0, writer.width(), writer.height()), page);
    }
    return chemin;
}

struct Echantillons {
    QTemporaryDir dossier;
    QString vingt = document(dossier.filePath(QStringLiteral("vingt.pdf")), pagesRendues);
    QString cent = document(dossier.filePath(QStringLiteral("cent.pdf")), 100);
    QString scanne = scan(dossier.filePath(QStringLiteral("scan.pdf")), pagesRendues);
    QStringList dix;
    Echantillons()
    {
        for (int i = 0; i < 10; ++i) {
            const QString c = dossier.filePath(QStringLiteral("partie %1.pdf").arg(i + 1));
            QFile::copy(vingt, c);
            dix << c;
        }
    }
};

Echantillons& echantillons()
{
    static Echantillons e;
    return e;
}

// A scratch folder per iteration, removed outside the timing.
struct Bac {
    QTemporaryDir dossier;
    QString chemin(const QString& nom) const { return dossier.filePath(nom); }
};

void lancer(const QString& programme, const QStringList& arguments)
{
    QProcess p;
    p.start(programme, arguments);
    p.waitForFinished(-1);
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        throw std::runtime_error(programme.toStdString() + " a échoué");
}

void parPage(benchmark::State& etat, int pages)
{
    etat.counters["pages/s"] = benchmark::Counter(static_cast<double>(etat.iterations()) * pages,
                                                  benchmark::Counter::kIsRate);
}

// Runs `travail` in a fresh folder each time; `preparer` fills it, untimed.
template <typename Preparer, typename Travail>
void dansUnBac(benchmark::State& etat, Preparer preparer, Travail travail)
{
    for (auto _ : etat) {
        etat.PauseTiming();
        Bac bac;
        preparer(bac);
        etat.ResumeTiming();
        travail(bac);
        etat.PauseTiming();
        bac.dossier.remove();
        etat.ResumeTiming();
    }
}

void copie(const Bac& bac, const QString& source)
{
    QFile::copy(source, bac.chemin(QFileInfo(source).fileName()));
}

void nosPages(benchmark::State& etat, const QString& format)
{
    dansUnBac(
        etat, [](const Bac& bac) { copie(bac, echantillons().vingt); },
        [&](const Bac& bac) {
            if (Conversions::convertirUn(bac.chemin(QStringLiteral("vingt.pdf")), format).size() != pagesRendues)
                etat.SkipWithError("pages manquantes");
        });
    parPage(etat, pagesRendues);
}

void pdftoppm(benchmark::State& etat, const QString& format)
{
    dansUnBac(
        etat, [](const Bac&) {},
        [&](const Bac& bac) {
            lancer(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("300"), QLatin1Char('-') + format,
                                                echantillons().vingt, bac.chemin(QStringLiteral("p"))});
        });
    parPage(etat, pagesRendues);
}

void PagesPng(benchmark::State& etat) { nosPages(etat, QStringLiteral("png")); }
void PagesPngPdftoppm(benchmark::State& etat) { pdftoppm(etat, QStringLiteral("png")); }
void PagesJpeg(benchmark::State& etat) { nosPages(etat, QStringLiteral("jpg")); }
void PagesJpegPdftoppm(benchmark::State& etat) { pdftoppm(etat, QStringLiteral("jpeg")); }

// Ten PDFs of twenty pages into one.
void Fusion(benchmark::State& etat)
{
    for (auto _ : etat) {
        const QString sortie = Conversions::reunir(echantillons().dix, {});
        etat.PauseTiming();
        QFile::remove(sortie);
        etat.ResumeTiming();
    }
}

void FusionQpdf(benchmark::State& etat)
{
    const QString sortie = echantillons().dossier.filePath(QStringLiteral("qpdf.pdf"));
    for (auto _ : etat) {
        lancer(QStringLiteral("qpdf"), QStringList{QStringLiteral("--empty"), QStringLiteral("--pages")}
                                           + echantillons().dix + QStringList{QStringLiteral("--"), sortie});
        etat.PauseTiming();
        QFile::remove(sortie);
        etat.ResumeTiming();
    }
}

// A hundred pages into a hundred files.
void Separation(benchmark::State& etat)
{
    dansUnBac(
        etat, [](const Bac& bac) { copie(bac, echantillons().cent); },
        [&](const Bac& bac) {
            if (Conversions::separer(bac.chemin(QStringLiteral("cent.pdf"))).size() != 100)
                etat.SkipWithError("pages manquantes");
        });
}

void SeparationQpdf(benchmark::State& etat)
{
    dansUnBac(
        etat, [](const Bac&) {},
        [](const Bac& bac) {
            lancer(QStringLiteral("qpdf"), {QStringLiteral("--split-pages"), echantillons().cent,
                                            bac.chemin(QStringLiteral("cent-%d.pdf"))});
        });
}

// The parts of a page image: drawing alone, one page after another, and writing.
void RenduSeul(benchmark::State& etat)
{
    Conversions::PdfRendu pdf(echantillons().vingt);
    for (auto _ : etat)
        for (int i = 0; i < pagesRendues; ++i)
            benchmark::DoNotOptimize(pdf.rendre(i));
    parPage(etat, pagesRendues);
}

void Ecriture(benchmark::State& etat, const QString& format)
{
    Conversions::PdfRendu pdf(echantillons().vingt);
    const QImage page = pdf.rendre(0);
    Bac bac;
    for (auto _ : etat) {
        Conversions::Sortie sortie(bac.dossier.path(), QStringLiteral("p"), format);
        Conversions::ecrirePage(page, format, sortie);
    }
}
void EcritureJpeg(benchmark::State& etat) { Ecriture(etat, QStringLiteral("jpg")); }
void EcriturePng(benchmark::State& etat) { Ecriture(etat, QStringLiteral("png")); }

// Processor time of this process and its children, in seconds: what a page costs
// whatever else the machine runs.
double tempsProcesseur()
{
    double total = 0;
    for (const int qui : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage r{};
        getrusage(qui, &r);
        total += static_cast<double>(r.ru_utime.tv_sec + r.ru_stime.tv_sec)
                 + static_cast<double>(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
    }
    return total;
}

// Runs `f` and prints its processor time per page next to the idle cores it started with.
void parPageProcesseur(const char* quoi, int pages, const std::function<void()>& f)
{
    const int libres = Conversions::coeursLibres();
    const double avant = tempsProcesseur();
    f();
    std::printf("%s : %.0f ms de processeur par page (%d cœurs libres au départ)\n", quoi,
                (tempsProcesseur() - avant) * 1000 / pages, libres);
}

// A hundred pages to JPEG, against pdftoppm in the same run (goal: three times faster).
void CentPagesJpeg(benchmark::State& etat)
{
    Bac bac;
    copie(bac, echantillons().cent);
    Comparaison::mesurer(etat, "cent pages en JPEG", false, [&] {
        parPageProcesseur("cent pages en JPEG, nous", 100, [&] {
            if (Conversions::convertirUn(bac.chemin(QStringLiteral("cent.pdf")), QStringLiteral("jpg")).size() != 100)
                etat.SkipWithError("pages manquantes");
        });
    }, [&] {
        QDir dossier(bac.dossier.path());
        for (const QString& page : dossier.entryList({QStringLiteral("*.jpg")}, QDir::Files))
            dossier.remove(page);
    });
}

void CentPagesJpegPdftoppm(benchmark::State& etat)
{
    Bac bac;
    Comparaison::mesurer(etat, "cent pages en JPEG", true, [&] {
        parPageProcesseur("cent pages en JPEG, pdftoppm", 100, [&] {
            lancer(QStringLiteral("pdftoppm"), {QStringLiteral("-jpeg"), QStringLiteral("-r"), QStringLiteral("300"),
                                                echantillons().cent, bac.chemin(QStringLiteral("p"))});
        });
    });
}

// A scanned PDF to text, against tesseract on one thread page after page.
void ScanEnTexte(benchmark::State& etat)
{
    Bac bac;
    copie(bac, echantillons().scanne);
    Comparaison::mesurer(etat, "scan de 20 pages en texte", false, [&] {
        const QStringList crees = Conversions::convertirUn(bac.chemin(QStringLiteral("scan.pdf")), QStringLiteral("txt"));
        for (const QString& c : crees)
            QFile::remove(c);
    });
}

void ScanEnTexteTesseract(benchmark::State& etat)
{
    Bac bac;
    lancer(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-gray"),
                                        echantillons().scanne, bac.chemin(QStringLiteral("p"))});
    const QStringList pages = QDir(bac.dossier.path()).entryList({QStringLiteral("p-*.pgm")}, QDir::Files, QDir::Name);
    Comparaison::mesurer(etat, "scan de 20 pages en texte", true, [&] {
        for (const QString& page : pages) {
            QProcess p;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("OMP_THREAD_LIMIT"), QStringLiteral("1"));
            p.setProcessEnvironment(env);
            p.start(QStringLiteral("tesseract"), {bac.chemin(page), bac.chemin(QStringLiteral("t")), QStringLiteral("-l"),
                                                  QStringLiteral("fra+eng"), QStringLiteral("--dpi"), QStringLiteral("300")});
            p.waitForFinished(-1);
        }
    });
}

// The page count of a dragged PDF while another PDF's pages are drawn. It runs beside the
// wheel, never on the drag's path (see roue_depot.cpp): it only delays « Séparer » (goal: under
// 20 ms, a child qpdf's start included).
void EntreeDuranteUnRendu(benchmark::State& etat)
{
    Bac bac;
    copie(bac, echantillons().cent);
    for (auto _ : etat) {
        auto rendu = std::async(std::launch::async, [&] {
            Conversions::convertirUn(bac.chemin(QStringLiteral("cent.pdf")), QStringLiteral("png"));
        });
        std::vector<double> durees;
        while (rendu.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready) {
            const double t = Comparaison::chrono([] { benchmark::DoNotOptimize(Conversions::nombreDePages(echantillons().vingt)); });
            durees.push_back(t * 1000);
        }
        rendu.get();
        std::sort(durees.begin(), durees.end());
        if (durees.empty())
            continue;
        etat.counters["médiane ms"] = durees[durees.size() / 2];
        etat.counters["pire ms"] = durees.back();
        std::printf("entrée de glisser pendant un rendu : médiane %.2f ms, pire %.2f ms sur %zu mesures\n",
                    durees[durees.size() / 2], durees.back(), durees.size());
    }
}

} // namespace

BENCHMARK(EcritureJpeg)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
BENCHMARK(EcriturePng)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
BENCHMARK(RenduSeul)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(PagesPng)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(PagesPngPdftoppm)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(PagesJpeg)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(PagesJpegPdftoppm)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(Fusion)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(FusionQpdf)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Separation)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(SeparationQpdf)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(CentPagesJpeg)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
BENCHMARK(CentPagesJpegPdftoppm)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
BENCHMARK(ScanEnTexte)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
BENCHMARK(ScanEnTexteTesseract)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
BENCHMARK(EntreeDuranteUnRendu)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

int main(int argc, char** argv)
{
    const int code = lancerLesBancs(argc, argv);
    Comparaison::imprimerRapports();
    return code;
}
