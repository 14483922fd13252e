// The trim window: ready (duration, player, waveform) on a one-hour MP3 against ffmpeg
// decoding the whole sound at 8 kHz mono, and ready with its ten thumbnails on a 10-minute
// 1080p MP4 against ffmpeg taking the same ten frames; then the idle CPU of an open, paused
// window and its memory on the one-hour file.
// Run by hand: build/bench/bench_couper

#include "Comparaison.h"

#include "fenetres/commun/FenetreOutil.h"
#include "fenetres/couper/modele/LecteurQt.h"
#include "fenetres/commun/Outils.h"
#include "fenetres/couper/modele/Passage.h"
#include "fenetres/couper/VueCouper.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <ctime>

namespace {

using Comparaison::dossierDeTravail;
using Comparaison::mesurer;
using Comparaison::outil;

const QString heure = dossierDeTravail(QStringLiteral("une heure.mp3"));
const QString film = dossierDeTravail(QStringLiteral("dix minutes.mp4"));

// The film lasts 10 min 5 s: its ten middles fall between its key frames (every 10 s), so
// both we and ffmpeg decode from a key frame to each of them.
void preparer()
{
    outil(QStringLiteral("ffmpeg"), {"-v", "error", "-y", "-f", "lavfi", "-i", "anoisesrc=c=pink:r=44100:a=0.2:d=3600",
                                     "-ac", "2", "-c:a", "libmp3lame", "-b:a", "192k", heure});
    outil(QStringLiteral("ffmpeg"), {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc2=size=1920x1080:rate=25:d=605",
                                     "-f", "lavfi", "-i", "sine=d=605", "-c:v", "libx264", "-preset", "ultrafast",
                                     "-pix_fmt", "yuv420p", "-c:a", "aac", "-shortest", film});
}

bool attendre(const std::function<bool()>& condition)
{
    QElapsedTimer t;
    t.start();
    while (!condition()) {
        if (t.elapsed() > 60000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// From the model's making to the duration known, the player loaded and the waveform or
// the ten thumbnails there.
void pret(const QString& chemin)
{
    auto* lecteur = new LecteurQt;
    QMediaPlayer& media = lecteur->media();
    Passage p(chemin, std::unique_ptr<Lecteur>(lecteur));
    bool apercu = false;
    QObject::connect(&p, &Passage::apercuFini, [&] { apercu = true; });
    p.preparer();
    const bool ok = attendre([&] {
        return apercu && p.pret()
            && (media.mediaStatus() == QMediaPlayer::LoadedMedia || media.mediaStatus() == QMediaPlayer::BufferedMedia);
    });
    if (!ok || (p.video() ? p.vignettes().size() != 10 : p.onde().isEmpty())) {
        std::fprintf(stderr, "fenêtre pas prête : %s\n", qPrintable(chemin));
        std::exit(1);
    }
}

void PretMP3(benchmark::State& etat) { mesurer(etat, "prête, MP3 d’une heure", false, [] { pret(heure); }); }
void PretMP3FFmpeg(benchmark::State& etat)
{
    mesurer(etat, "prête, MP3 d’une heure", true, [] {
        outil(QStringLiteral("ffmpeg"), {"-v", "error", "-i", heure, "-ar", "8000", "-ac", "1", "-f", "s16le", "-y", "/dev/null"});
    });
}

void PretMP4(benchmark::State& etat) { mesurer(etat, "prête, MP4 1080p 10 min", false, [] { pret(film); }); }
// The same ten frames, each from the key frame before it, scaled to 200 on the larger side.
void PretMP4FFmpeg(benchmark::State& etat)
{
    QStringList a{"-v", "error", "-y"};
    for (int i = 0; i < 10; ++i)
        a << "-ss" << QString::number((i + 0.5) * 60.5) << "-i" << film;
    for (int i = 0; i < 10; ++i)
        a << "-map" << QStringLiteral("%1:v").arg(i) << "-frames:v" << "1" << "-vf" << "scale=200:-2"
          << dossierDeTravail(QStringLiteral("v%1.png").arg(i));
    mesurer(etat, "prête, MP4 1080p 10 min", true, [&] { outil(QStringLiteral("ffmpeg"), a); });
}

BENCHMARK(PretMP3)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(PretMP3FFmpeg)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(PretMP4)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(PretMP4FFmpeg)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

double cpu()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

long memoire(const char* cle)
{
    QFile f(QStringLiteral("/proc/self/status"));
    f.open(QIODevice::ReadOnly);
    for (const QByteArray& l : f.readAll().split('\n'))
        if (l.startsWith(cle))
            return l.mid(static_cast<int>(std::strlen(cle))).trimmed().split(' ').first().toLong() / 1024;
    return -1;
}

// An open window on `chemin`, paused, for `secondes`: its share of one core.
void repos(const QString& chemin, const char* nom)
{
    const long avant = memoire("VmRSS:");
    Outils::ouvrir(QStringLiteral("couper"), chemin, {});
    auto* vue = FenetreOutil::ouvertes().last()->findChild<VueCouper*>();
    bool fini = false;
    QObject::connect(&vue->passage(), &Passage::apercuFini, [&] { fini = true; });
    attendre([&] { return fini; });
    QElapsedTimer calme;
    calme.start();
    attendre([&] { return calme.elapsed() > 1000; });  // the player settles
    const long ouverte = memoire("VmRSS:");
    const double c0 = cpu();
    QElapsedTimer t;
    t.start();
    QEventLoop boucle;
    QTimer::singleShot(5000, &boucle, &QEventLoop::quit);
    boucle.exec();
    const double part = (cpu() - c0) / (t.elapsed() / 1000.0);
    std::printf("%s : fenêtre en pause %.2f %% d’un cœur (objectif < 1 %%) ; mémoire %ld Mo, dont %ld Mo pour la "
                "fenêtre (objectif < 150 Mo) ; pic du processus %ld Mo\n",
                nom, 100 * part, ouverte, ouverte - avant, memoire("VmHWM:"));
    FenetreOutil::ouvertes().last()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_MEDIA_BACKEND", "ffmpeg");
    QApplication app(argc, argv);
    Comparaison::lierFFmpeg();
    preparer();
    // First, in a fresh process: the memory of one open window on the one-hour file.
    repos(heure, "MP3 d’une heure");
    repos(film, "MP4 1080p");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Comparaison::imprimerRapports();
    return 0;
}
