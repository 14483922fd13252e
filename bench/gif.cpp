// The GIF of a 1080p 60-second video against ffmpeg's two-pass palette road, and an
// animated GIF back to MP4 against ffmpeg's libx264.

#include "Comparaison.h"

#include "conversions/Conversions.h"
#include "conversions/media/Gif.h"

namespace {

using Comparaison::dossierDeTravail;
using Comparaison::mesurer;
using Comparaison::outil;

const QString film = dossierDeTravail(QStringLiteral("film.mov"));
const QString anime = dossierDeTravail(QStringLiteral("anim.gif"));

void preparer()
{
    outil(QStringLiteral("ffmpeg"), {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc2=s=1920x1080:r=30:d=60",
                                     "-c:v", "libx264", "-preset", "veryfast", "-pix_fmt", "yuv420p", film});
    // 200 frames of 400×300 moving pictures, for the way back.
    outil(QStringLiteral("ffmpeg"), {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc2=s=400x300:r=10:d=20", anime});
}

void Gif(benchmark::State& etat)
{
    QString cree;
    mesurer(etat, "gif", false,
            [&] { cree = Conversions::gif(film, QFileInfo(film).absolutePath(), QStringLiteral("film"), {}); },
            [&] { QFile::remove(cree); });
}
void GifFFmpeg(benchmark::State& etat)
{
    mesurer(etat, "gif", true, [] {
        outil(QStringLiteral("ffmpeg"),
              {"-v", "error", "-y", "-i", film, "-vf",
               "fps=5,scale=480:-2:flags=bicubic,split[a][b];[a]palettegen[p];[b][p]paletteuse", "-loop", "0",
               dossierDeTravail(QStringLiteral("ffmpeg.gif"))});
    });
}
void GifMp4(benchmark::State& etat)
{
    QStringList crees;
    mesurer(etat, "gifmp4", false, [&] { crees = Conversions::convertirUn(anime, QStringLiteral("gifmp4")); },
            [&] {
                for (const QString& c : crees)
                    QFile::remove(c);
            });
}
void GifMp4FFmpeg(benchmark::State& etat)
{
    mesurer(etat, "gifmp4", true, [] {
        outil(QStringLiteral("ffmpeg"), {"-v", "error", "-y", "-i", anime, "-c:v", "libx264", "-pix_fmt", "yuv420p",
                                         dossierDeTravail(QStringLiteral("ffmpeg.mp4"))});
    });
}

BENCHMARK(Gif)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(GifFFmpeg)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(GifMp4)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(GifMp4FFmpeg)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return Comparaison::lancer(argc, argv, preparer);
}
