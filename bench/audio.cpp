// A 3-minute WAV to MP3 and to M4A, against lame -V 2 and ffmpeg's AAC encoder.

#include "comparaison_media.h"

#include "conversions/Conversions.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

namespace {

QTemporaryDir& dossier()
{
    static QTemporaryDir d;
    return d;
}

QString source()
{
    static const QString chemin = [] {
        const QString c = QDir(dossier().path()).filePath("trois minutes.wav");
        // Two tones and pink noise: a load close to music for the encoders.
        QProcess::execute("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i",
                                     "anoisesrc=c=pink:r=44100:a=0.2:d=180", "-f", "lavfi", "-i",
                                     "sine=f=220:r=44100:d=180", "-filter_complex",
                                     "[0][1]amerge=inputs=2", "-c:a", "pcm_s16le", c});
        return c;
    }();
    return chemin;
}

void nous(benchmark::State& etat, const char* cible)
{
    for (auto _ : etat) {
        const QStringList crees = Conversions::convertirUn(source(), cible);
        etat.PauseTiming();
        for (const QString& c : crees)
            QFile::remove(c);
        etat.ResumeTiming();
    }
}

void BM_mp3_nous(benchmark::State& etat) { nous(etat, "mp3"); }
void BM_mp3_lame(benchmark::State& etat)
{
    const QString sortie = QDir(dossier().path()).filePath("lame.mp3");
    for (auto _ : etat)
        comparaison::lancer(etat, "lame", {"--quiet", "-V", "2", source(), sortie});
}
void BM_m4a_nous(benchmark::State& etat) { nous(etat, "m4a"); }
void BM_m4a_ffmpeg(benchmark::State& etat)
{
    const QString sortie = QDir(dossier().path()).filePath("ffmpeg.m4a");
    for (auto _ : etat)
        comparaison::lancer(etat, "ffmpeg", {"-v", "error", "-y", "-i", source(), "-c:a", "aac", "-b:a", "256k", sortie});
}

BENCHMARK(BM_mp3_nous)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_mp3_lame)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_m4a_nous)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_m4a_ffmpeg)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    source();  // made before any timing
    return comparaison::executer(argc, argv, {{"BM_mp3_nous", "BM_mp3_lame"}, {"BM_m4a_nous", "BM_m4a_ffmpeg"}});
}
