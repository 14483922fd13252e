// Drag entry on a hostile GIF: 100 MB of one-byte comment blocks between its two frames.
// The catalogue counts frames on the GUI thread; goal: as quick as on an ordinary GIF.
// Run by hand: build/bench/bench_catalogue_gif

#include "Principal.h"

#include "conversions/Catalogue.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

// A 1 × 1 frame: descriptor, LZW code size, one data block, terminator.
const QByteArray image("\x2C\0\0\0\0\x01\0\x01\0\0\x02\x02\x44\x01\0", 15);

QString gif(const QString& nom, qint64 commentaire)
{
    static QTemporaryDir dossier;
    const QString chemin = dossier.filePath(nom);
    QFile f(chemin);
    if (!f.open(QIODevice::WriteOnly))
        std::abort();
    f.write(QByteArray("GIF89a\x01\0\x01\0\0\0\0", 13));
    f.write(image);
    if (commentaire > 0) {
        f.write("\x21\xFE", 2);
        QByteArray blocs;
        for (int i = 0; i < (1 << 20); ++i)
            blocs.append("\x01x", 2);
        for (qint64 ecrit = 0; ecrit < commentaire; ecrit += blocs.size())
            f.write(blocs);
        f.write(QByteArray(1, '\0'));
    }
    f.write(image);
    f.write(";");
    return chemin;
}

void petales(benchmark::State& state, const QString& chemin)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(Conversions::petales({chemin}).size());
}

void GifOrdinaire(benchmark::State& state) { petales(state, gif("ordinaire.gif", 0)); }
void GifDeCommentaires100Mo(benchmark::State& state) { petales(state, gif("commentaires.gif", 100 << 20)); }

} // namespace

BENCHMARK(GifOrdinaire)->Unit(benchmark::kMillisecond);
BENCHMARK(GifDeCommentaires100Mo)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return lancerLesBancs(argc, argv);
}
