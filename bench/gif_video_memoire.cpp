// Peak memory of an animated GIF of huge frames turned into MP4: a small file (one full
// picture, then a little square that moves) whose frames decode to 4000 × 4000 pixels each.
// The conversion runs in a child of its own; its peak is compared with one frame's size.
// Not a timed test. Run by hand: build/bench/bench_gif_video_memoire [frames, 1000 by default]
// [side in pixels, 4000 by default]

#include "Enfant.h"
#include "conversions/Conversions.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {

bool faireGif(const QString& chemin, int images, int cote)
{
    const QString source = QStringLiteral("color=c=0xc87828:s=%1x%1:r=10:d=%2,"
                                          "drawbox=x=mod(t*800\\,%3):y=mod(t*500\\,%3):w=60:h=60:color=blue:t=fill,"
                                          "format=rgb8")
                               .arg(cote)
                               .arg(images / 10.0)
                               .arg(cote - 100);
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(QStringLiteral("ffmpeg"), {"-v", "error", "-y", "-f", "lavfi", "-i", source, "-pix_fmt", "rgb8", chemin});
    return p.waitForFinished(-1) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int images = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int cote = argc > 2 ? std::atoi(argv[2]) : 4000;
    QTemporaryDir dossier;
    const QString gif = dossier.filePath(QStringLiteral("anime.gif"));
    if (images < 2 || cote < 16 || !faireGif(gif, images, cote)) {
        std::fprintf(stderr, "échantillon impossible à créer\n");
        return 1;
    }
    const double imageMo = 4.0 * cote * cote / (1024.0 * 1024.0);
    std::printf("GIF de %d images de %d × %d pixels (%lld octets), %.0f Mo par image en RGBA\n", images, cote, cote,
                static_cast<long long>(QFileInfo(gif).size()), imageMo);
    std::fflush(stdout);  // or the child prints it again
    QString erreur;
    const QString texte = dossier.filePath(QStringLiteral("erreur.txt"));
    const Enfant::Mesure m = Enfant::dansUnEnfant([&] {
        const Conversions::Resultat r = Conversions::convertir({gif}, QStringLiteral("gifmp4"), {});
        if (!r.erreurs.isEmpty()) {
            QFile f(texte);
            if (f.open(QIODevice::WriteOnly))
                f.write(r.erreurs.first().toUtf8());
        }
        return r.erreurs.isEmpty() && !r.crees.isEmpty();
    });
    QFile f(texte);
    if (f.open(QIODevice::ReadOnly))
        erreur = QString::fromUtf8(f.readAll());
    std::printf("%10s %12s %14s  %s\n", "secondes", "pic Mo", "pic / image", "résultat");
    std::printf("%10.1f %12.0f %14.1f  %s\n", m.secondes, m.picMo, m.picMo / imageMo,
                m.ok ? "créé" : qPrintable(erreur));
    return m.ok ? 0 : 1;
}
