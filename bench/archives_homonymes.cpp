// Unpacking zips whose entries all share one name (1 000, 2 000 and 4 000 of them), against
// unzip, which keeps only the last: each entry of ours takes the next free name, and the
// time must grow with their number, not with its square.
#include "Comparaison.h"

#include "conversions/archives/Archives.h"

namespace {

QString archive(int entrees)
{
    return Comparaison::dossierDeTravail(QStringLiteral("homonymes-%1.zip").arg(entrees));
}

void preparer()
{
    for (const int n : {1000, 2000, 4000})
        Comparaison::outil(QStringLiteral("python3"),
                           {"-W", "ignore", "-c",
                            "import sys, zipfile\n"
                            "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
                            "    for i in range(int(sys.argv[2])): z.writestr('notes/a.txt', str(i))\n",
                            archive(n), QString::number(n)});
}

void BM_Homonymes(benchmark::State& s)
{
    const int n = static_cast<int>(s.range(0));
    QString cree;
    Comparaison::mesurer(s, "homonymes " + std::to_string(n), false,
                         [&] { cree = Conversions::extraire(archive(n)); },
                         [&] { QDir(cree).removeRecursively(); });
    s.counters["entrees"] = n;
}

void BM_HomonymesReference(benchmark::State& s)
{
    const int n = static_cast<int>(s.range(0));
    const QString sortie = Comparaison::dossierDeTravail(QStringLiteral("reference"));
    Comparaison::mesurer(s, "homonymes " + std::to_string(n), true,
                         [&] { Comparaison::outil("unzip", {"-q", "-o", archive(n), "-d", sortie}); },
                         [&] { QDir(sortie).removeRecursively(); });
}

} // namespace

BENCHMARK(BM_Homonymes)->Arg(1000)->Arg(2000)->Arg(4000)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_HomonymesReference)->Arg(1000)->Arg(2000)->Arg(4000)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

int main(int argc, char** argv)
{
    return Comparaison::lancer(argc, argv, preparer);
}
