// Frames taken at chosen times: each frame of the test video has its own grey level.

#include "conversions/media_outils.h"
#include "plateforme/media/Av.h"
#include "plateforme/media/Echantillonneur.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Frame k is grey with luma 16 + 8k, so its index is read back from the pixel.
int indice(const QImage& image)
{
    const int gris = qGray(image.pixel(image.width() / 2, image.height() / 2));
    return static_cast<int>(std::lround(gris * 219.0 / 255.0 / 8.0));
}

TEST(MediaEchantillonneur, donneLImageLaPlusProcheDansLaToleranceMemeEnRevenantEnArriere)
{
    Dossier d;
    const QString source = d.chemin("gris.mp4");
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "nullsrc=s=32x32:r=10:d=2.5,geq=lum=16+8*N:cb=128:cr=128",
                        "-c:v", "libx264", "-qp", "0", "-g", "100", "-pix_fmt", "yuv420p"}, source));
    Media::Echantillonneur e(source, QSize(480, 480));
    EXPECT_NEAR(e.duree(), 2.5, 0.05);
    EXPECT_EQ(e.taille(), QSize(32, 32));
    struct Demande { double t, tolerance; int attendu; };
    // Forward, a jump back (a seek), nearest of two neighbours, and past the end.
    for (const Demande q : {Demande{0.0, 0.05, 0}, Demande{1.0, 0.05, 10}, Demande{1.26, 0.05, 13},
                            Demande{1.24, 0.05, 12}, Demande{0.5, 0.05, 5}, Demande{2.0, 0.05, 20},
                            Demande{0.1, 0.05, 1}}) {
        const QImage image = e.image(q.t, q.tolerance);
        ASSERT_FALSE(image.isNull()) << q.t;
        EXPECT_EQ(image.size(), QSize(32, 32));
        EXPECT_EQ(indice(image), q.attendu) << q.t;
    }
    EXPECT_TRUE(e.image(3.5, 0.1).isNull());
}

TEST(MediaEchantillonneur, unTrouDansLeFluxDonneUneImageNulle)
{
    Dossier d;
    const QString source = d.chemin("trou.mp4");
    // Two frames per second: nothing lies within 0.1 s of 0.25 s.
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "nullsrc=s=16x16:r=2:d=2,geq=lum=16+8*N:cb=128:cr=128", "-c:v",
                        "libx264", "-qp", "0", "-pix_fmt", "yuv420p"}, source));
    Media::Echantillonneur e(source, QSize(480, 480));
    EXPECT_EQ(indice(e.image(0.0, 0.1)), 0);
    EXPECT_TRUE(e.image(0.25, 0.1).isNull());
    EXPECT_EQ(indice(e.image(0.5, 0.1)), 1);
}

TEST(MediaEchantillonneur, lesPixelsNonCarresEtLaBoiteDonnentLaTailleAffichee)
{
    Dossier d;
    const QString source = d.chemin("large.mp4");
    // 720×576 stored, shown 16:9 (1024×576), fitted in 480: 480×270.
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "testsrc=s=720x576:d=0.2,setsar=64/45", "-c:v", "libx264",
                        "-preset", "ultrafast", "-pix_fmt", "yuv420p"}, source));
    Media::Echantillonneur e(source, QSize(480, 480));
    EXPECT_EQ(e.taille(), QSize(480, 270));
    EXPECT_EQ(e.image(0, 0.1).size(), QSize(480, 270));
    // Smaller than the box: never enlarged.
    const QString petit = d.chemin("petit.mp4");
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "testsrc=s=100x60:d=0.2", "-c:v", "libx264", "-preset",
                        "ultrafast", "-pix_fmt", "yuv420p"}, petit));
    EXPECT_EQ(Media::Echantillonneur(petit, QSize(480, 480)).taille(), QSize(100, 60));
}

} // namespace
