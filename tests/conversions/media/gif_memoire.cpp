// The GIF road on the picture sizes whose rows are not a multiple of the scaler's chunk
// (it once wrote past the end of the image and killed the process), and what a writer
// that dies halfway leaves in the folder.

#include "conversions/sorties/Sortie.h"
#include "conversions/media_outils.h"

#include <sys/wait.h>
#include <unistd.h>

using namespace Conversions;

namespace {

TEST(GifMemoire, lesTaillesQuiDebordaientDonnentUnGifEntier)
{
    // 268 × 156 as it is; 952 × 536 scaled down to fit 480 gives 480 × 270; 476 × 268 as it is.
    const struct { const char* source; int largeur, hauteur; } cas[] = {
        {"268x156", 268, 156}, {"476x268", 476, 268}, {"952x536", 480, 270}, {"150x98", 150, 98}};
    for (const auto& c : cas) {
        SCOPED_TRACE(c.source);
        Dossier d;
        const QString source = d.chemin("clip.mp4");
        ASSERT_TRUE(ffmpeg(QStringList{"-f", "lavfi", "-i", QStringLiteral("testsrc=r=25:s=%1:d=1").arg(c.source)}
                               + x264, source));
        const QStringList crees = convertirUn(source, "gif");
        ASSERT_EQ(crees, QStringList{d.chemin("clip.gif")});
        const QJsonObject s = sonde(crees[0], {"-count_frames"});
        EXPECT_EQ(premierFlux(s).value("width").toInt(), c.largeur);
        EXPECT_EQ(premierFlux(s).value("height").toInt(), c.hauteur);
        EXPECT_EQ(premierFlux(s).value("nb_read_frames").toString().toInt(), 12);
        EXPECT_EQ(d.noms(), (QStringList{"clip.gif", "clip.mp4"}));
    }
}

TEST(GifMemoire, unProcessusQuiMeurtNeLaisseRienSousLeNomFinal)
{
    Dossier d;
    const QString source = d.ecrire("clip.mp4", "x");
    const pid_t enfant = fork();
    ASSERT_GE(enfant, 0);
    if (enfant == 0) {
        Sortie sortie = Sortie::apres(source, {}, QStringLiteral("gif"));
        QFile f(sortie.temporaire());
        if (f.open(QIODevice::WriteOnly))
            f.write("GIF89a");
        f.close();
        ::_exit(0);  // as a crash: no destructor runs
    }
    int etat = 0;
    ASSERT_EQ(waitpid(enfant, &etat, 0), enfant);
    for (const QString& nom : d.noms())
        EXPECT_TRUE(nom == "clip.mp4" || nom.startsWith('.')) << nom.toStdString();
}

} // namespace
