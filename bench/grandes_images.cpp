// Peak memory of every image petal on a huge PNG of one colour (and a disc) made by libvips: a tiny file
// that decodes to hundreds of megabytes. Each conversion runs in a child of its own; its
// peak, less the peak of the same petal on a small picture (the libraries, the models),
// is compared with the size of the decoded picture. Not a timed test.
// Run by hand: build/bench/bench_grandes_images [side in pixels, 16000 by default]

#include "Enfant.h"
#include "conversions/Conversions.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {

// Every petal an image gets.
constexpr const char* petales[] = {"jpg", "png", "heic", "webp", "pdf", "leger", "ocr", "detour"};

bool vips(const QStringList& arguments)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(QStringLiteral("vips"), arguments);
    return p.waitForFinished(-1) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// A PNG of `cote` × `cote` pixels of one orange, with a blue disc in the middle for the
// cut-out to find.
bool faireUni(const QString& dossier, const QString& nom, int cote)
{
    const QString noir = dossier + QStringLiteral("/noir.v");
    const QString uni = dossier + QStringLiteral("/uni.v");
    const QString milieu = QString::number(cote / 2);
    const bool ok = vips({"black", noir, QString::number(cote), QString::number(cote), "--bands", "3"})
        && vips({"linear", noir, uni, "1 1 1", "200 120 40", "--uchar"})
        && vips({"draw_circle", uni, "30 60 160", milieu, milieu, QString::number(cote / 4), "--fill"})
        && vips({"copy", uni, dossier + "/" + nom});
    QFile::remove(noir);
    QFile::remove(uni);
    return ok;
}

// Converts in a child; the first failure text goes to `erreur`'s file.
Enfant::Mesure convertir(const QString& source, const char* id, const QString& erreur)
{
    return Enfant::dansUnEnfant([&] {
        const Conversions::Resultat r = Conversions::convertir({source}, QString::fromLatin1(id), {});
        if (!r.erreurs.isEmpty()) {
            QFile f(erreur);
            if (f.open(QIODevice::WriteOnly))
                f.write(r.erreurs.first().toUtf8());
        }
        return r.erreurs.isEmpty() && !r.crees.isEmpty();
    });
}

QString lire(const QString& chemin)
{
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int cote = argc > 1 ? std::atoi(argv[1]) : 16000;
    QTemporaryDir dossier;
    if (cote < 2000 || !faireUni(dossier.path(), QStringLiteral("petite.png"), 1000)
        || !faireUni(dossier.path(), QStringLiteral("grande.png"), cote)) {
        std::fprintf(stderr, "échantillons impossibles à créer\n");
        return 1;
    }
    const double imageMo = 3.0 * cote * cote / (1024.0 * 1024.0);
    std::printf("PNG uni (et un disque) de %d × %d pixels (%lld octets), %.0f Mo une fois décodé en RGB\n\n", cote, cote,
                static_cast<long long>(QFileInfo(dossier.filePath("grande.png")).size()), imageMo);
    std::printf("%-8s %10s %12s %12s %12s  %s\n", "pétale", "secondes", "pic Mo", "à vide Mo", "surplus/img",
                "résultat");
    std::fflush(stdout);  // or each child prints it again
    for (const char* p : petales) {
        const QString erreur = dossier.filePath(QStringLiteral("erreur.txt"));
        const Enfant::Mesure vide = convertir(dossier.filePath("petite.png"), p, erreur);
        const Enfant::Mesure m = convertir(dossier.filePath("grande.png"), p, erreur);
        const QString resultat = m.ok ? QStringLiteral("créé") : lire(erreur);
        std::printf("%-8s %10.1f %12.0f %12.0f %12.2f  %s\n", p, m.secondes, m.picMo, vide.picMo,
                    (m.picMo - vide.picMo) / imageMo, qPrintable(resultat));
        std::fflush(stdout);
        for (const QString& n : QDir(dossier.path()).entryList(QDir::Files | QDir::Hidden))
            if (n != QLatin1String("petite.png") && n != QLatin1String("grande.png"))
                QFile::remove(dossier.filePath(n));
    }
    return 0;
}
