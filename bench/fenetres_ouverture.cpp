// A tool window on a 48-megapixel photo: from the open to the photo shown on the canvas
// (crop: the full photo decoded; light: its first rendered preview),
// against `vips copy` decoding the same JPEG in full (the least any full-size window must
// do), and the process's resident size once the window has closed, against its size before
// the first window. Run by hand: build/bench/bench_fenetres_ouverture

#include "Comparaison.h"

#include "fenetres/commun/FenetreOutil.h"
#include "fenetres/commun/modele/Memoire.h"
#include "fenetres/commun/Outils.h"
#include "fenetres/lumiere/VueLumiere.h"
#include "fenetres/rogner/VueRogner.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>

namespace {

using Comparaison::dossierDeTravail;
using Comparaison::mesurer;
using Comparaison::outil;
using Comparaison::photoDetaillee;

const QString photo = dossierDeTravail(QStringLiteral("photo 48 Mpx.jpg"));
long long auRepos = 0;
std::map<std::string, long long> apresFermeture;

void preparer()
{
    photoDetaillee(photo, QStringLiteral("8000x6000"));
    auRepos = Memoire::residente();
}

void boucler(const std::function<bool()>& fini)
{
    while (!fini()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::usleep(500);
    }
}

// Opens the window of `cle`, times it until `montree` holds, closes it and, after the
// deferred trims, records the resident size.
template <typename Vue>
void ouvrir(benchmark::State& etat, const std::string& nom, const QString& cle, const std::function<bool(Vue&)>& montree)
{
    FenetreOutil* f = nullptr;
    mesurer(etat, nom, false, [&] {
        Outils::ouvrir(cle, photo, [](const QString&) {});
        f = FenetreOutil::ouvertes().last();
        Vue* vue = f->findChild<Vue*>();
        boucler([&] { return montree(*vue); });
        QCoreApplication::processEvents();  // the canvas paints the photo
    }, [&] {
        f->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QElapsedTimer t;
        t.start();
        boucler([&] { return t.elapsed() > 2000; });
        apresFermeture[nom] = Memoire::residente();
    });
}

void Rogner(benchmark::State& e) { ouvrir<VueRogner>(e, "rogner 48 Mpx", "recadrer", [](VueRogner& v) { return v.chargee(); }); }
void Lumiere(benchmark::State& e)
{
    ouvrir<VueLumiere>(e, "lumière 48 Mpx", "lumiere", [](VueLumiere& v) { return !v.rendu().isNull(); });
}
void Decodage(benchmark::State& e)
{
    const QString sortie = dossierDeTravail(QStringLiteral("decode.v"));
    mesurer(e, "rogner 48 Mpx", true, [&] { outil(QStringLiteral("vips"), {"copy", photo, sortie}); },
            [&] { QFile::remove(sortie); });
    // The light window shows a 1400-pixel preview: its reference is the same decode.
    Comparaison::mesures()["lumière 48 Mpx"].reference = Comparaison::mesures()["rogner 48 Mpx"].reference;
}

} // namespace

BENCHMARK(Decodage)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Rogner)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Lumiere)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const int r = Comparaison::lancer<QApplication>(argc, argv, preparer);
    std::printf("\n%-28s %10s %10s\n", "mémoire résidente", "Mo", "ratio");
    std::printf("%-28s %10lld %10.2f\n", "avant la première fenêtre", auRepos >> 20, 1.0);
    for (const auto& [nom, octets] : apresFermeture)
        std::printf("%-28s %10lld %10.2f\n", ("après " + nom).c_str(), octets >> 20, double(octets) / double(auRepos));
    return r;
}
