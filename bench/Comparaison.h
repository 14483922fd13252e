#pragma once

// Shared by the media and archive benchmarks: one timed run of ours against one run of
// the reference tool on the same input, and the ratios printed at the end.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <string>

namespace Comparaison {

struct Mesure {
    double nous = 0;
    double reference = 0;
};

inline std::map<std::string, Mesure>& mesures()
{
    static std::map<std::string, Mesure> m;
    return m;
}

// Where inputs and outputs of one benchmark program live, removed at exit.
inline QString dossierDeTravail(const QString& nom)
{
    static QTemporaryDir d;
    return d.filePath(nom);
}

inline double chrono(const std::function<void()>& f)
{
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// Runs a tool to its end; aborts the benchmark when it fails.
inline void outil(const QString& programme, const QStringList& arguments, const QString& dossier = {})
{
    QProcess p;
    p.setWorkingDirectory(dossier);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.setStandardOutputFile(QProcess::nullDevice());
    p.start(programme, arguments);
    if (!p.waitForFinished(-1) || p.exitCode() != 0) {
        std::fprintf(stderr, "%s a échoué\n", qPrintable(programme));
        std::exit(1);
    }
}

// A JPEG of `taille` ("6000x4000") with detail everywhere, at a camera's quality.
inline void photoDetaillee(const QString& chemin, const QString& taille)
{
    outil(QStringLiteral("ffmpeg"), {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc2=size=" + taille, "-f", "lavfi",
                                     "-i", "nullsrc=size=" + taille + ",geq=random(1)*255:128:128", "-filter_complex",
                                     "[0][1]blend=all_mode=overlay:all_opacity=0.3", "-frames:v", "1", "-q:v", "2", chemin});
}

// Times `f` once per iteration as the manual time of the benchmark, and keeps it.
inline void mesurer(benchmark::State& state, const std::string& nom, bool reference, const std::function<void()>& f,
                    const std::function<void()>& menage = {})
{
    for (auto _ : state) {
        const double t = chrono(f);
        state.SetIterationTime(t);
        (reference ? mesures()[nom].reference : mesures()[nom].nous) = t;
        if (menage) {
            state.PauseTiming();
            menage();
            state.ResumeTiming();
        }
    }
}

inline void imprimerRapports()
{
    std::printf("\n%-28s %10s %10s %8s\n", "comparaison", "nous (s)", "réf. (s)", "ratio");
    for (const auto& [nom, m] : mesures())
        std::printf("%-28s %10.2f %10.2f %8.2f\n", nom.c_str(), m.nous, m.reference,
                    m.reference > 0 ? m.nous / m.reference : 0.0);
}

// The engine finds ffmpeg beside the running program, as in the app's build folder.
inline void lierFFmpeg()
{
    const QString lien = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("ffmpeg"));
    if (!QFileInfo::exists(lien))
        QFile::link(QStandardPaths::findExecutable(QStringLiteral("ffmpeg")), lien);
}

// main(): `preparer` makes the inputs before any timing.
// `Application` is QGuiApplication for the benchmarks that paint text.
template <typename Application = QCoreApplication>
int lancer(int argc, char** argv, const std::function<void()>& preparer = {})
{
    Application app(argc, argv);
    lierFFmpeg();
    if (preparer)
        preparer();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    imprimerRapports();
    return 0;
}

} // namespace Comparaison
