// Sounds converted through the dispatcher, checked with ffprobe, sox and volumedetect.

#include "conversions/media_outils.h"

#include <gtest/gtest.h>

using namespace Conversions;

namespace {

struct CasPCM {
    const char* nom;
    QStringList fabrication;  // ffmpeg arguments after the lavfi source
    const char* extension;
    const char* cible;
    const char* codecAttendu;
    int bitsAttendus;
};

void PrintTo(const CasPCM& c, std::ostream* os) { *os << c.nom; }

class ProfondeurPCM : public testing::TestWithParam<CasPCM> {};

TEST_P(ProfondeurPCM, garde16a24BitsEtLOrdreDesOctetsDeLaCible)
{
    const CasPCM& c = GetParam();
    Dossier d;
    const QString source = d.chemin(QStringLiteral("son.") + c.extension);
    ASSERT_TRUE(ffmpeg(QStringList{"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=22050:duration=1.3",
                                   "-ac", "3"} + c.fabrication, source));
    const QStringList crees = convertirUn(source, c.cible);
    ASSERT_EQ(crees.size(), 1);
    EXPECT_EQ(crees[0], d.chemin(QStringLiteral("son.") + c.cible));
    const QJsonObject flux = premierFlux(sonde(crees[0]));
    EXPECT_EQ(flux.value("codec_name").toString(), c.codecAttendu);
    EXPECT_EQ(flux.value("bits_per_sample").toInt(), c.bitsAttendus);
    EXPECT_EQ(flux.value("channels").toInt(), 3);
    EXPECT_EQ(flux.value("sample_rate").toString(), "22050");
    EXPECT_NEAR(duree(sonde(crees[0])), 1.3, 0.03);
    // sox reads the header on its own.
    QString bits;
    ASSERT_EQ(executer("soxi", {"-b", crees[0]}, &bits), 0);
    EXPECT_EQ(bits.trimmed().toInt(), c.bitsAttendus);
}

INSTANTIATE_TEST_SUITE_P(
    Audio, ProfondeurPCM,
    testing::Values(CasPCM{"s16_vers_aiff", {"-c:a", "pcm_s16le"}, "wav", "aiff", "pcm_s16be", 16},
                    CasPCM{"s24_vers_aiff", {"-c:a", "pcm_s24le"}, "wav", "aiff", "pcm_s24be", 24},
                    CasPCM{"f32_vers_aiff", {"-c:a", "pcm_f32le"}, "wav", "aiff", "pcm_s24be", 24},
                    CasPCM{"u8_vers_wav", {"-c:a", "pcm_u8"}, "aiff", "wav", "pcm_s16le", 16},
                    CasPCM{"s32_vers_wav", {"-c:a", "pcm_s32be"}, "aiff", "wav", "pcm_s24le", 24},
                    CasPCM{"flac24_vers_wav", {"-c:a", "flac", "-sample_fmt", "s32"}, "flac", "wav", "pcm_s16le", 16},
                    CasPCM{"aac_vers_aiff", {"-c:a", "aac"}, "m4a", "aiff", "pcm_s16be", 16}),
    [](const auto& info) { return std::string(info.param.nom); });

TEST(Audio, m4aA128kEnMonoEt256kAuDelaAvecSesSixCanaux)
{
    Dossier d;
    const QString mono = d.chemin("mono.wav");
    const QString six = d.chemin("six.wav");
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "anoisesrc=d=4:c=pink:r=48000", "-ac", "1"}, mono));
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "anoisesrc=d=4:c=pink:r=48000", "-af",
                        "pan=5.1|FL=c0|FR=c0|FC=c0|LFE=c0|BL=c0|BR=c0"}, six));
    for (const auto& [source, canaux, debit] : {std::tuple{mono, 1, 128000}, std::tuple{six, 6, 256000}}) {
        const QStringList crees = convertirUn(source, "m4a");
        ASSERT_EQ(crees.size(), 1);
        const QJsonObject s = sonde(crees[0]);
        const QJsonObject flux = premierFlux(s);
        EXPECT_EQ(flux.value("codec_name").toString(), "aac");
        EXPECT_EQ(flux.value("channels").toInt(), canaux);
        EXPECT_EQ(flux.value("sample_rate").toString(), "48000");
        EXPECT_NEAR(flux.value("bit_rate").toString().toDouble(), debit, debit * 0.2) << crees[0].toStdString();
        EXPECT_NEAR(duree(s), 4.0, 0.05);
    }
}

TEST(Audio, mp3DUnSon51NeGardeQueSesDeuxPremiersCanaux)
{
    Dossier d;
    const QString devant = d.chemin("devant.wav");
    const QString derriere = d.chemin("derriere.wav");
    // Loud front pair, silent rest; then the other way round.
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "sine=f=1000:d=2", "-af",
                        "pan=5.1|FL=c0|FR=c0|FC=0*c0|LFE=0*c0|BL=0*c0|BR=0*c0"}, devant));
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "sine=f=1000:d=2", "-af",
                        "pan=5.1|FL=0*c0|FR=0*c0|FC=c0|LFE=c0|BL=c0|BR=c0"}, derriere));
    const QString a = convertirUn(devant, "mp3").value(0);
    const QString b = convertirUn(derriere, "mp3").value(0);
    EXPECT_EQ(premierFlux(sonde(a)).value("channels").toInt(), 2);
    EXPECT_EQ(premierFlux(sonde(b)).value("channels").toInt(), 2);
    EXPECT_GT(crete(a), -20.0);
    EXPECT_LT(crete(b), -60.0);
}

TEST(Audio, mp3DUnSonMonoEstMonoEtSaDureeSeLitJusteGraceALEtiquette)
{
    Dossier d;
    const QString source = d.chemin("voix.wav");
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "anoisesrc=d=7.5:c=brown:r=44100", "-ac", "1"}, source));
    const QString mp3 = convertirUn(source, "mp3").value(0);
    ASSERT_EQ(mp3, d.chemin("voix.mp3"));
    const QJsonObject s = sonde(mp3);
    EXPECT_EQ(premierFlux(s).value("codec_name").toString(), "mp3");
    EXPECT_EQ(premierFlux(s).value("channel_layout").toString(), "mono");
    // A variable bit rate stream is timed right only through the summary frame.
    EXPECT_NEAR(duree(s), 7.5, 0.06);
    const QByteArray debut = contenu(mp3).left(400);
    EXPECT_TRUE(debut.contains("Xing") || debut.contains("Info"));
    EXPECT_TRUE(debut.contains("LAME"));
}

TEST(Audio, unMp3ReconvertiEnMp3DonneUnNouveauNomEtLaSourceResteIntacte)
{
    Dossier d;
    const QString source = d.chemin("chanson.mp3");
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "sine=f=300:d=1.5", "-c:a", "libmp3lame"}, source));
    const QByteArray avant = empreinte(source);
    const QString sortie = convertirUn(source, "mp3").value(0);
    EXPECT_EQ(sortie, d.chemin("chanson 2.mp3"));
    EXPECT_EQ(empreinte(source), avant);
    EXPECT_NEAR(duree(sonde(sortie)), 1.5, 0.06);
    EXPECT_EQ(d.noms(), (QStringList{"chanson 2.mp3", "chanson.mp3"}));
}

} // namespace
