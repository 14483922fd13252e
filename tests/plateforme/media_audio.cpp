// The sound reader and writer against ffmpeg's own decoding of the same files.

#include "conversions/media_outils.h"
#include "plateforme/media/Av.h"
#include "plateforme/media/EcrivainAudio.h"
#include "plateforme/media/LecteurAudio.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// The samples of a file as ffmpeg decodes them, interleaved 32-bit floats.
std::vector<float> decoder(const Dossier& d, const QString& chemin)
{
    const QString brut = d.chemin("brut.f32");
    if (!ffmpeg({"-i", chemin, "-f", "f32le", "-c:a", "pcm_f32le"}, brut))
        return {};
    const QByteArray b = contenu(brut);
    std::vector<float> v(static_cast<size_t>(b.size()) / sizeof(float));
    std::memcpy(v.data(), b.constData(), v.size() * sizeof(float));
    return v;
}

TEST(MediaAudio, leLecteurRendLesEchantillonsDeChaqueCanalParBlocs)
{
    Dossier d;
    const QString source = d.chemin("deux.flac");
    // Two different tones, so that a swap of channels shows; 70001 frames cross blocks.
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "sine=f=440:r=32000", "-f", "lavfi", "-i", "sine=f=1250:r=32000",
                        "-filter_complex", "[0][1]amerge=inputs=2", "-t", "2.18753125"}, source));
    const std::vector<float> attendu = decoder(d, source);
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

TEST(MediaAudio, lEcrivainEcritCeQuOnLuiDonneALaProfondeurDemandee)
{
    Dossier d;
    const int n = 20000;
    std::vector<float> g(n), dr(n);
    for (int i = 0; i < n; ++i) {
        g[size_t(i)] = 0.5f * std::sin(i * 0.01f);
        dr[size_t(i)] = -0.25f * std::cos(i * 0.003f);
    }
    for (const auto& [nom, bits, gros] : {std::tuple{"a.wav", 24, false}, std::tuple{"b.aiff", 16, true}}) {
        const QString chemin = d.chemin(nom);
        {
            Media::ReglagesAudio r;
            r.canaux = 2;
            r.frequence = 16000;
            r.profondeur = bits;
            r.grosBoutiste = gros;
            Media::EcrivainAudio e(chemin, r);
            // Uneven pieces, as a reader gives them.
            for (int debut = 0; debut < n; debut += 7000) {
                const float* canaux[2] = {g.data() + debut, dr.data() + debut};
                e.ecrire(canaux, std::min(7000, n - debut));
            }
            e.terminer();
        }
        const std::vector<float> lu = decoder(d, chemin);
        ASSERT_EQ(lu.size(), size_t(2 * n)) << nom;
        double ecart = 0;
        for (int i = 0; i < n; ++i)
            ecart = std::max({ecart, double(std::abs(lu[size_t(2 * i)] - g[size_t(i)])),
                              double(std::abs(lu[size_t(2 * i + 1)] - dr[size_t(i)]))});
        EXPECT_LT(ecart, bits == 24 ? 1e-6 : 1e-4) << nom;
    }
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
