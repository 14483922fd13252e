// The sound reader against ffmpeg's own decoding of the same files; frames taken at chosen
// times, where each frame of the test video has its own grey level.

#include "conversions/media_outils.h"
#include "plateforme/media/Av.h"
#include "plateforme/media/Echantillonneur.h"
#include "plateforme/media/LecteurAudio.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

TEST(MediaAudio, leLecteurRendLesEchantillonsDeChaqueCanalParBlocs)
{
    Dossier d;
    const QString source = d.chemin("deux.flac");
    // Two different tones, so that a swap of channels shows; 70001 frames cross blocks.
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "sine=f=440:r=32000", "-f", "lavfi", "-i", "sine=f=1250:r=32000",
                        "-filter_complex", "[0][1]amerge=inputs=2", "-t", "2.18753125"}, source));
    const std::vector<float> attendu = echantillons(source);
    ASSERT_EQ(attendu.size(), 2u * 70001u);
    Media::LecteurAudio l(source);
    EXPECT_EQ(QList<int64_t>({l.canaux(), l.frequence(), l.longueur(), l.profondeurPCM()}),
              QList<int64_t>({2, 32000, 70001, 0}));
    size_t lus = 0;
    double ecart = 0;
    for (int n; (n = l.lire(30000)) > 0;) {
        EXPECT_LE(n, 30000);
        for (int i = 0; i < n; ++i)
            for (int c = 0; c < 2; ++c)
                ecart = std::max(ecart, double(std::abs(l.canal(c)[i] - attendu[(lus + i) * 2 + c])));
        lus += size_t(n);
        EXPECT_EQ(l.position(), int64_t(lus));
    }
    EXPECT_EQ(lus, 70001u);
    EXPECT_LT(ecart, 1e-6);
}

// Lists that name other files are refused through the conversions; here, the other way round.
TEST(MediaAudio, unNomQuiRessembleAUnProtocoleResteUnFichierLocal)
{
    Dossier d;
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "sine=d=0.5"}, d.chemin("vrai.wav")));
    ASSERT_TRUE(QFile::copy(d.chemin("vrai.wav"), d.chemin("http:son.wav")));
    EXPECT_EQ(Media::LecteurAudio(d.chemin("http:son.wav")).frequence(), 44100);
}

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
}

} // namespace
