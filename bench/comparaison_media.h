#pragma once

// Runs each benchmark once and prints, for every pair "ours / reference", the ratio
// of their wall-clock times.

#include <benchmark/benchmark.h>

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace comparaison {

// Runs a reference tool; a failure stops the benchmark with its output.
inline void lancer(benchmark::State& etat, const QString& programme, const QStringList& arguments)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(programme, arguments);
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        etat.SkipWithError((programme + QStringLiteral(" a échoué : ") + QString::fromUtf8(p.readAll()))
                               .toStdString().c_str());
}

class Releveur : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& r : runs)
            if (!r.error_occurred)
                temps_[r.run_name.function_name] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    // Prints ours/reference for each pair whose two runs are known.
    void ratios(const std::vector<std::pair<std::string, std::string>>& paires) const
    {
        std::printf("\n%-40s %s\n", "comparaison", "ratio (nous / référence)");
        for (const auto& [nous, reference] : paires) {
            const auto a = temps_.find(nous), b = temps_.find(reference);
            if (a != temps_.end() && b != temps_.end() && b->second > 0)
                std::printf("%-40s %.2f\n", (nous + " / " + reference).c_str(), a->second / b->second);
        }
    }

private:
    std::map<std::string, double> temps_;
};

// main(): benchmarks once each, then the ratios of `paires`.
inline int executer(int argc, char** argv, const std::vector<std::pair<std::string, std::string>>& paires)
{
    benchmark::Initialize(&argc, argv);
    Releveur releveur;
    benchmark::RunSpecifiedBenchmarks(&releveur);
    releveur.ratios(paires);
    benchmark::Shutdown();
    return 0;
}

} // namespace comparaison
