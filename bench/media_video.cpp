// A 1080p 60-second MOV: copy to MP4 and the lighter copy, against the same ffmpeg commands.
#include "Comparaison.h"

#include "conversions/Conversions.h"

namespace {

const QString& source()
{
    static const QString chemin = [] {
        const QString c = Comparaison::dossierDeTravail(QStringLiteral("source.mov"));
        Comparaison::outil("ffmpeg", {"-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                                      "testsrc2=size=1920x1080:rate=30:duration=60", "-f", "lavfi", "-i",
                                      "anoisesrc=sample_rate=48000:amplitude=0.2:duration=60", "-ac", "2",
                                      "-c:v", "libx264", "-preset", "veryfast", "-pix_fmt", "yuv420p", "-c:a", "aac",
                                      "-shortest", c});
        return c;
    }();
    return chemin;
}

QString reference() { return Comparaison::dossierDeTravail(QStringLiteral("reference.mp4")); }

void nous(benchmark::State& state, const char* nom, const char* id)
{
    QString cree;
    source();  // made before the clock starts
    Comparaison::mesurer(state, nom, false, [&] { cree = Conversions::convertirUn(source(), id).value(0); },
                         [&] { QFile::remove(cree); });
}

void ffmpeg(benchmark::State& state, const char* nom, const QStringList& liste)
{
    source();
    Comparaison::mesurer(state, nom, true, [&] {
        Comparaison::outil("ffmpeg", QStringList{"-nostdin", "-loglevel", "error", "-y", "-i", source()} << liste
                                                                                                         << reference());
    });
}

void BM_CopieMp4(benchmark::State& s) { nous(s, "mov -> mp4 (copie)", "mp4"); }
void BM_CopieMp4Reference(benchmark::State& s)
{
    ffmpeg(s, "mov -> mp4 (copie)", {"-map", "0:v", "-map", "0:a", "-c", "copy"});
}
void BM_Legere(benchmark::State& s) { nous(s, "mov -> copie légère", "leger"); }
void BM_LegereReference(benchmark::State& s)
{
    ffmpeg(s, "mov -> copie légère", {"-vf", "scale=1280:720", "-c:v", "libx264", "-preset", "medium", "-crf", "23",
                                      "-pix_fmt", "yuv420p", "-c:a", "aac", "-b:a", "128k", "-movflags", "+faststart"});
}

} // namespace

BENCHMARK(BM_CopieMp4)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_CopieMp4Reference)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_Legere)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_LegereReference)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

int main(int argc, char** argv)
{
    return Comparaison::lancer(argc, argv);
}
