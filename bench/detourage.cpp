// The cut-out of a 12-megapixel photo: the learned road against the classical one (time and
// peak memory, each in a process of its own), then the resident memory of that process one
// minute after a learned cut-out, once the model has been let go.
// Run by hand: build/bench/bench_detourage

#include "conversions/Conversions.h"
#include "conversions/images/Isnet.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <chrono>
#include <cstdio>
#include <sys/resource.h>

namespace {

const QString photoSource = QStringLiteral("/usr/lib/python3/dist-packages/skimage/data/rocket.jpg");

// A /proc/self/status field in MB (VmRSS now, VmHWM the peak).
double champMo(const char* nom)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& ligne : f.readAll().split('\n'))
        if (ligne.startsWith(nom))
            return ligne.mid(static_cast<int>(qstrlen(nom)) + 1).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return -1;
}

// Processor time of this process so far, every thread: on a loaded machine the wall time
// says how many cores were free, this says how much work the cut-out is.
double secondesDeProcesseur()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec)
         + static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// One cut-out of `photo`, its output removed; its time in seconds, negative on failure.
double detourer(const QString& photo)
{
    const auto t0 = std::chrono::steady_clock::now();
    const Conversions::Resultat r = Conversions::convertir({photo}, QStringLiteral("detour"), {});
    const double secondes = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    for (const QString& cree : r.crees)
        QFile::remove(cree);
    if (!r.erreurs.isEmpty()) {
        std::printf("échec : %s\n", qPrintable(r.erreurs.join(QStringLiteral(" | "))));
        return -1;
    }
    return secondes;
}

// In the child: one cut-out on the given road; prints "seconds peakMB cpuSeconds", then for
// "appris" the time of a second cut-out, for "repos" the resident memory right after and 65 s later.
int enfant(const QString& route, const QString& photo)
{
    if (route == QStringLiteral("classique"))
        Conversions::Isnet::imposerChemin(QStringLiteral("/nonexistent/isnet-medium.onnx"));
    const double processeur0 = secondesDeProcesseur();
    const double secondes = detourer(photo);
    if (secondes < 0)
        return 1;
    std::printf("%.2f %.0f %.2f", secondes, champMo("VmHWM:"), secondesDeProcesseur() - processeur0);
    // A second photo within the minute finds the network loaded.
    if (route == QStringLiteral("appris")) {
        const double chaud = detourer(photo);
        if (chaud < 0)
            return 1;
        std::printf(" %.2f", chaud);
    }
    if (route == QStringLiteral("repos")) {
        std::printf(" %.0f", champMo("VmRSS:"));
        std::fflush(stdout);
        QThread::sleep(65);
        std::printf(" %.0f", champMo("VmRSS:"));
    }
    std::printf("\n");
    return 0;
}

QStringList mesurer(const QString& route, const QString& photo)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--enfant"), route, photo});
    p.waitForFinished(-1);
    const QString sortie = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    if (p.exitCode() != 0) {
        std::printf("%s : %s\n", qPrintable(route), qPrintable(sortie));
        std::exit(1);
    }
    return sortie.split(QLatin1Char(' '));
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "--enfant")
        return enfant(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));

    if (!QFile::exists(Conversions::Isnet::chemin())) {
        std::printf("modèle absent (%s) : lancer scripts/dependances.sh\n", qPrintable(Conversions::Isnet::chemin()));
        return 1;
    }
    QTemporaryDir dossier;
    const QString photo = dossier.filePath(QStringLiteral("fusee.jpg"));
    const QImage source(photoSource);
    if (source.isNull() || !source.scaled(4000, 3000, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).save(photo, "JPEG", 90)) {
        std::printf("photo de 12 Mpx impossible à faire depuis %s\n", qPrintable(photoSource));
        return 1;
    }
    QFile charge(QStringLiteral("/proc/loadavg"));
    charge.open(QIODevice::ReadOnly);
    std::printf("détourage d’une photo de 4000 × 3000 (%d cœurs, charge %s)\n", QThread::idealThreadCount(),
                charge.readAll().split(' ').value(0).constData());
    const QStringList appris = mesurer(QStringLiteral("appris"), photo);
    const QStringList classique = mesurer(QStringLiteral("classique"), photo);
    std::printf("modèle appris : %s s (processeur %s s), pic %s Mo (objectifs < 2,5 s et < 900 Mo) ; "
                "une seconde photo, modèle déjà chargé : %s s\n",
                qPrintable(appris[0]), qPrintable(appris[2]), qPrintable(appris[1]), qPrintable(appris[3]));
    std::printf("segmentation classique : %s s (processeur %s s), pic %s Mo\n", qPrintable(classique[0]),
                qPrintable(classique[2]), qPrintable(classique[1]));
    std::printf("rapports appris / classique : temps × %.2f, pic × %.2f\n", appris[0].toDouble() / classique[0].toDouble(),
                appris[1].toDouble() / classique[1].toDouble());
    const QStringList repos = mesurer(QStringLiteral("repos"), photo);
    std::printf("mémoire résidente après un détourage : %s Mo, une minute plus tard : %s Mo (objectif < 100 Mo)\n",
                qPrintable(repos[3]), qPrintable(repos[4]));
    return 0;
}
