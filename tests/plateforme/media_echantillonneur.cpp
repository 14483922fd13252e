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
    // Forward, a jump back (a seek), nearest of two neighbours, and past the end.
    for (const auto& [t, attendu] : {std::pair{0.0, 0}, {1.0, 10}, {1.26, 13}, {1.24, 12}, {0.5, 5}, {2.0, 20},
                                     {0.1, 1}}) {
        const QImage image = e.image(t, 0.05);
        ASSERT_EQ(image.size(), QSize(32, 32)) << t;
        EXPECT_EQ(indice(image), attendu) << t;
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
    ASSERT_TRUE(ffmpeg(QStringList{"-f", "lavfi", "-i", "testsrc=s=720x576:d=0.2,setsar=64/45"} + x264, source));
    Media::Echantillonneur e(source, QSize(480, 480));
    EXPECT_EQ(e.taille(), QSize(480, 270));
    EXPECT_EQ(e.image(0, 0.1).size(), QSize(480, 270));
    // Smaller than the box: never enlarged.
    const QString petit = d.chemin("petit.mp4");
    ASSERT_TRUE(ffmpeg(QStringList{"-f", "lavfi", "-i", "testsrc=s=100x60:d=0.2"} + x264, petit));
    EXPECT_EQ(Media::Echantillonneur(petit, QSize(480, 480)).taille(), QSize(100, 60));
}

} // namespace
