// The sound reader against ffmpeg's own decoding of the same files.

#include "conversions/media_outils.h"
#include "plateforme/media/Av.h"
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
    EXPECT_EQ(l.canaux(), 2);
    EXPECT_EQ(l.frequence(), 32000);
    EXPECT_EQ(l.longueur(), 70001);
    EXPECT_EQ(l.profondeurPCM(), 0);
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

TEST(MediaAudio, unFichierQuiDesigneDAutresFichiersNEstPasOuvert)
{
    Dossier d;
    const QString vrai = d.chemin("vrai.wav");
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "sine=d=0.5"}, vrai));
    const QString liste = d.ecrire("liste.m4a", "ffconcat version 1.0\nfile '" + QFile::encodeName(vrai) + "'\n");
    const QString hls = d.ecrire("flux.aac", "#EXTM3U\n#EXTINF:1,\n" + QFile::encodeName(vrai) + "\n#EXT-X-ENDLIST\n");
    EXPECT_THROW(Media::LecteurAudio{liste}, Media::Echec);
    EXPECT_THROW(Media::LecteurAudio{hls}, Media::Echec);
    // A name that looks like a protocol is still a local file.
    const QString deuxPoints = d.chemin("http:son.wav");
    ASSERT_TRUE(QFile::copy(vrai, deuxPoints));
    EXPECT_EQ(Media::LecteurAudio(deuxPoints).frequence(), 44100);
}

} // namespace
