// Cost of a drag entering the drop target (reading the files, the catalogue, the sibling
// application look-up, filling the state) and of the hit test run on every move. A large PDF
// whose cross-reference table is broken is compared with qpdf's own count of its pages, which
// repairs the table first.
#include "Comparaison.h"

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
// 300 MB: three pages and one large stream, the offsets of the table all wrong.
QString pdfAbime()
{
    static const QString chemin = [] {
        const QString c = dossier->filePath(QStringLiteral("abime.pdf"));
        QFile f(c);
        if (!f.open(QIODevice::WriteOnly))
            std::abort();
        QByteArray debut = "%PDF-1.4\n1 0 obj << /Type /Catalog /Pages 2 0 R >> endobj\n"
                           "2 0 obj << /Type /Pages /Kids [3 0 R 4 0 R 5 0 R] /Count 3 >> endobj\n";
        for (int i = 3; i <= 5; ++i)
            debut += QByteArray::number(i) + " 0 obj << /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] "
                     "/Contents 6 0 R >> endobj\n";
        constexpr qint64 taille = 300LL << 20;
        debut += "6 0 obj << /Length " + QByteArray::number(taille) + " >> stream\n";
        f.write(debut);
        const QByteArray bloc = QByteArray("0 0 m 10 10 l S\n").repeated(1 << 16);
        for (qint64 ecrit = 0; ecrit < taille; ecrit += bloc.size())
            f.write(bloc.left(static_cast<qsizetype>(std::min<qint64>(bloc.size(), taille - ecrit))));
        QByteArray fin = "\nendstream endobj\nxref\n0 7\n0000000000 65535 f \n";
        for (int i = 1; i <= 6; ++i)
            fin += QByteArray::number(100 + 7 * i).rightJustified(10, '0') + " 00000 n \n";
        fin += "trailer << /Size 7 /Root 1 0 R >>\nstartxref\n" + QByteArray::number(f.pos() + 16) + "\n%%EOF\n";
        f.write(fin);
        return c;
    }();
    return chemin;
}

void EntreeUnPDFAbime(benchmark::State& state)
{
    const QString chemin = pdfAbime();
    Roue::EtatRoue etat;
    Roue::ZoneDepot zone(etat);
    QMimeData donnees;
    donnees.setUrls({QUrl::fromLocalFile(chemin)});
    Comparaison::mesurer(state, "entrée d'un PDF abîmé", false, [&] {
        QDragEnterEvent e(QPoint(320, 180), Qt::CopyAction, &donnees, Qt::LeftButton, Qt::ShiftModifier);
        QCoreApplication::sendEvent(&zone, &e);
        QDragLeaveEvent l;
        QCoreApplication::sendEvent(&zone, &l);
    });
}

void QpdfCompteLePDFAbime(benchmark::State& state)
{
    const QString chemin = pdfAbime();
    Comparaison::mesurer(state, "entrée d'un PDF abîmé", true, [&] {
        QProcess p;
        p.start(QStringLiteral("qpdf"), {QStringLiteral("--show-npages"), chemin});
        p.waitForFinished(-1);
    });
}

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
BENCHMARK(EntreeUnPDFAbime)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(QpdfCompteLePDFAbime)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
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
    Comparaison::imprimerRapports();
    return 0;
}
