// A 3-minute WAV to MP3 and to M4A, against lame -V 2 and ffmpeg's AAC encoder.

#include "Comparaison.h"

#include "conversions/Conversions.h"

namespace {

using Comparaison::dossierDeTravail;
using Comparaison::mesurer;
using Comparaison::outil;

const QString source = dossierDeTravail(QStringLiteral("trois minutes.wav"));

void preparer()
{
    // Two tones and pink noise: a load close to music for the encoders.
    outil(QStringLiteral("ffmpeg"), {"-v", "error", "-y", "-f", "lavfi", "-i", "anoisesrc=c=pink:r=44100:a=0.2:d=180",
                                     "-f", "lavfi", "-i", "sine=f=220:r=44100:d=180", "-filter_complex",
                                     "[0][1]amerge=inputs=2", "-c:a", "pcm_s16le", source});
}

void nous(benchmark::State& etat, const char* cible)
{
    QStringList crees;
    mesurer(etat, cible, false, [&] { crees = Conversions::convertirUn(source, QString::fromLatin1(cible)); },
            [&] {
                for (const QString& c : crees)
                    QFile::remove(c);
            });
}

void Mp3(benchmark::State& etat) { nous(etat, "mp3"); }
void Mp3Lame(benchmark::State& etat)
{
    mesurer(etat, "mp3", true, [] {
        outil(QStringLiteral("lame"), {"--quiet", "-V", "2", source, dossierDeTravail(QStringLiteral("lame.mp3"))});
    });
}
void M4a(benchmark::State& etat) { nous(etat, "m4a"); }
void M4aFFmpeg(benchmark::State& etat)
{
    mesurer(etat, "m4a", true, [] {
        outil(QStringLiteral("ffmpeg"), {"-v", "error", "-y", "-i", source, "-c:a", "aac", "-b:a", "256k",
                                         dossierDeTravail(QStringLiteral("ffmpeg.m4a"))});
    });
}

BENCHMARK(Mp3)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Mp3Lame)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(M4a)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(M4aFFmpeg)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return Comparaison::lancer(argc, argv, preparer);
}
