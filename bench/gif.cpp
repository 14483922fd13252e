// The GIF of a 1080p 60-second video against ffmpeg's two-pass palette road, and an
// animated GIF back to MP4 against ffmpeg's libx264.

#include "comparaison_media.h"

#include "conversions/Conversions.h"
#include "conversions/Gif.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

namespace {

QTemporaryDir& dossier()
{
    static QTemporaryDir d;
    return d;
}

QString chemin(const char* nom) { return QDir(dossier().path()).filePath(nom); }

void preparer()
{
    QProcess::execute("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc2=s=1920x1080:r=30:d=60",
                                 "-c:v", "libx264", "-preset", "veryfast", "-pix_fmt", "yuv420p", chemin("film.mov")});
    // 200 frames of 400×300 moving pictures, for the way back.
    QProcess::execute("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc2=s=400x300:r=10:d=20",
                                 chemin("anim.gif")});
}

void BM_gif_nous(benchmark::State& etat)
{
    for (auto _ : etat) {
        const QString gif = Conversions::gif(chemin("film.mov"), dossier().path(), "film", {});
        etat.PauseTiming();
        QFile::remove(gif);
        etat.ResumeTiming();
    }
}
void BM_gif_ffmpeg(benchmark::State& etat)
{
    for (auto _ : etat)
        comparaison::lancer(etat, "ffmpeg",
                            {"-v", "error", "-y", "-i", chemin("film.mov"), "-vf",
                             "fps=5,scale=480:-2:flags=bicubic,split[a][b];[a]palettegen[p];[b][p]paletteuse",
                             "-loop", "0", chemin("ffmpeg.gif")});
}
void BM_gifmp4_nous(benchmark::State& etat)
{
    for (auto _ : etat) {
        const QStringList crees = Conversions::convertirUn(chemin("anim.gif"), "gifmp4");
        etat.PauseTiming();
        for (const QString& c : crees)
            QFile::remove(c);
        etat.ResumeTiming();
    }
}
void BM_gifmp4_ffmpeg(benchmark::State& etat)
{
    for (auto _ : etat)
        comparaison::lancer(etat, "ffmpeg", {"-v", "error", "-y", "-i", chemin("anim.gif"), "-c:v", "libx264",
                                             "-pix_fmt", "yuv420p", chemin("ffmpeg.mp4")});
}

BENCHMARK(BM_gif_nous)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_gif_ffmpeg)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_gifmp4_nous)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_gifmp4_ffmpeg)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    preparer();
    return comparaison::executer(argc, argv, {{"BM_gif_nous", "BM_gif_ffmpeg"}, {"BM_gifmp4_nous", "BM_gifmp4_ffmpeg"}});
}
