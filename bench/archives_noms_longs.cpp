// Unpacking zips of 100, 200 and 300 entries whose names are 64 KB long (32 000 folders of one
// letter, then the file): the time must grow with the names' total length, never with each
// name's length times its number of folders. unzip cuts such paths short, so it is no reference.
#include "Comparaison.h"

#include "conversions/archives/Archives.h"

namespace {

QString archive(int entrees)
{
    return Comparaison::dossierDeTravail(QStringLiteral("noms-longs-%1.zip").arg(entrees));
}

void preparer()
{
    for (const int n : {100, 200, 300})
        Comparaison::outil(QStringLiteral("python3"),
                           {"-c",
                            "import sys, zipfile\n"
                            "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
                            "    for i in range(int(sys.argv[2])):\n"
                            "        z.writestr('a/' * 32000 + 'f%d.txt' % i, 'x')\n",
                            archive(n), QString::number(n)});
}

void BM_NomsLongs(benchmark::State& s)
{
    const int n = static_cast<int>(s.range(0));
    QString cree;
    Comparaison::mesurer(s, "noms longs " + std::to_string(n), false,
                         [&] { cree = Conversions::extraire(archive(n)); },
                         [&] { Comparaison::outil("rm", {"-rf", cree}); });
    s.counters["entrees"] = n;
}

} // namespace

BENCHMARK(BM_NomsLongs)->Arg(100)->Arg(200)->Arg(300)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

int main(int argc, char** argv)
{
    return Comparaison::lancer(argc, argv, preparer);
}
