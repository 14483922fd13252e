// Sounds converted through the dispatcher, checked with ffprobe, ffmpeg's decoding and volumedetect;
// sounds that cannot be read or written, empty and cut sounds, and progress.

#include "conversions/media_outils.h"

#include <optional>

using namespace Conversions;

TEST(Audio, lePcmGarde16a24BitsEtLOrdreDesOctetsDeLaCible)
{
    const struct {
        QStringList fabrication;  // ffmpeg arguments after the lavfi source
        const char* extension;
        const char* cible;
        const char* codec;
        int bits;
    } cas[] = {
        {{"-c:a", "pcm_s16le"}, "wav", "aiff", "pcm_s16be", 16},
        {{"-c:a", "pcm_s24le"}, "wav", "aiff", "pcm_s24be", 24},
        {{"-c:a", "pcm_f32le"}, "wav", "aiff", "pcm_s24be", 24},
        {{"-c:a", "pcm_u8"}, "aiff", "wav", "pcm_s16le", 16},
        {{"-c:a", "pcm_s32be"}, "aiff", "wav", "pcm_s24le", 24},
        {{"-c:a", "flac", "-sample_fmt", "s32"}, "flac", "wav", "pcm_s16le", 16},
        {{"-c:a", "aac"}, "m4a", "aiff", "pcm_s16be", 16},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.fabrication.join(' ').toStdString() + " -> " + c.cible);
        Dossier d;
        const QString source = d.chemin(QStringLiteral("son.") + c.extension);
        ASSERT_TRUE(ffmpeg(QStringList{"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=22050:duration=1.3",
                                       "-af", "pan=3.0|c0=c0|c1=0.5*c0|c2=-0.3*c0"} + c.fabrication, source));
        const QStringList crees = convertirUn(source, c.cible);
        ASSERT_EQ(crees, QStringList{d.chemin(QStringLiteral("son.") + c.cible)});
        const QJsonObject s = sonde(crees[0]), f = premierFlux(s);
        EXPECT_EQ(f.value("codec_name").toString(), c.codec);
        EXPECT_EQ(f.value("bits_per_sample").toInt(), c.bits);
        EXPECT_EQ(f.value("channels").toInt(), 3);
        EXPECT_EQ(f.value("sample_rate").toString(), "22050");
        EXPECT_NEAR(duree(s), 1.3, 0.03);
        // Every sample of every channel where it was, within the 16-bit step.
        const std::vector<float> avant = echantillons(source), apres = echantillons(crees[0]);
        ASSERT_EQ(apres.size(), avant.size());
        for (size_t i = 0; i < avant.size(); ++i)
            ASSERT_NEAR(apres[i], avant[i], 1e-4) << "sample " << i / 3 << ", channel " << i % 3;
    }
}

TEST(Audio, m4aA128kEnMonoEt256kAuDelaAvecSesSixCanaux)
{
    Dossier d;
    const QString mono = d.chemin("mono.wav");
    const QString six = d.chemin("six.wav");
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "anoisesrc=d=4:c=pink:r=48000", "-ac", "1"}, mono));
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "anoisesrc=d=4:c=pink:r=48000", "-af",
                        "pan=5.1|FL=c0|FR=c0|FC=c0|LFE=c0|BL=c0|BR=c0"}, six));
    for (const auto& [source, canaux, debit] : {std::tuple{mono, 1, 128000}, std::tuple{six, 6, 256000}}) {
        const QJsonObject s = sonde(convertirUn(source, "m4a").value(0)), f = premierFlux(s);
        EXPECT_EQ(f.value("codec_name").toString(), "aac");
        EXPECT_EQ(f.value("channels").toInt(), canaux);
        EXPECT_EQ(f.value("sample_rate").toString(), "48000");
        EXPECT_NEAR(f.value("bit_rate").toString().toDouble(), debit, debit * 0.2) << canaux;
        EXPECT_NEAR(duree(s), 4.0, 0.05);
    }
}

// AAC takes a list of rates: one outside it is resampled to the nearest, the sound kept whole,
// as the MP3 encoder does.
TEST(Audio, m4aPrendLaFrequenceAccepteeLaPlusProche)
{
    Dossier d;
    const struct { const char* nom; int frequence; const char* attendue; } cas[] = {
        {"grave.wav", 1000, "7350"}, {"haute.wav", 192000, "96000"}, {"radio.wav", 30000, "32000"}};
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", QStringLiteral("sine=frequency=100:sample_rate=%1:d=3").arg(c.frequence)},
                           d.chemin(c.nom)));
        const QString m4a = convertirUn(d.chemin(c.nom), "m4a").value(0);
        ASSERT_FALSE(m4a.isEmpty());
        const QJsonObject s = sonde(m4a);
        EXPECT_EQ(premierFlux(s).value("sample_rate").toString(), c.attendue);
        EXPECT_NEAR(duree(s), 3.0, 0.05);
        // Still a 100 Hz tone (of amplitude 1/8): 200 swings a second from one side to the other,
        // the coding's small noise around zero left out.
        int passages = 0;
        int cote = 0;
        for (const float e : echantillons(m4a)) {
            const int ici = e > 0.05f ? 1 : e < -0.05f ? -1 : 0;
            passages += ici != 0 && cote != 0 && ici != cote;
            cote = ici != 0 ? ici : cote;
        }
        EXPECT_NEAR(passages, 600, 6);
        EXPECT_GT(crete(m4a), -20.0);
    }
}

// Mono stays mono; of 5.1 only the front pair is kept (loud front and silent rest, then the other
// way round); a variable bit rate stream is timed right only through its summary frame.
TEST(Audio, mp3GardeLeMonoOuLesDeuxPremiersCanauxEtSaDuree)
{
    Dossier d;
    const struct { const char* nom; QString filtre; int canaux; bool fort; } cas[] = {
        {"voix.wav", "pan=mono|c0=c0", 1, true},
        {"devant.wav", "pan=5.1|FL=c0|FR=c0|FC=0*c0|LFE=0*c0|BL=0*c0|BR=0*c0", 2, true},
        {"derriere.wav", "pan=5.1|FL=0*c0|FR=0*c0|FC=c0|LFE=c0|BL=c0|BR=c0", 2, false}};
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "anoisesrc=d=7.5:c=brown:r=44100", "-af", c.filtre}, d.chemin(c.nom)));
        const QString mp3 = convertirUn(d.chemin(c.nom), "mp3").value(0);
        const QJsonObject s = sonde(mp3);
        EXPECT_EQ(premierFlux(s).value("channels").toInt(), c.canaux);
        EXPECT_NEAR(duree(s), 7.5, 0.06);
        const double pic = crete(mp3);
        EXPECT_TRUE(c.fort ? pic > -20.0 : pic < -60.0) << pic << " dB";
        const QByteArray debut = lire(mp3).left(400);
        EXPECT_TRUE((debut.contains("Xing") || debut.contains("Info")) && debut.contains("LAME"));
    }
}

TEST(AudioEchecs, lesSonsIllisiblesOuInecrivablesEchouentSansRienLaisser)
{
    Dossier d;
    const QString faux = d.ecrire("faux.wav", bruit(5000));
    const QString muet = d.chemin("muet.m4a");  // a video without a sound track is no sound
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "testsrc=d=1:s=64x48", "-f", "mp4"}, muet));
    // Lists that would have us read other files.
    const QString secret = d.chemin("secret.wav");
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "sine=d=1"}, secret));
    const QString piege = d.ecrire("piege.mp3", "#EXTM3U\n#EXT-X-TARGETDURATION:10\n#EXTINF:10,\n"
                                                    + QFile::encodeName(secret) + "\n#EXT-X-ENDLIST\n");
    // A relative name passes the concat demuxer's own safe mode: only our guard stops it.
    const QString liste = d.ecrire("liste.wav", "ffconcat version 1.0\nfile 'secret.wav'\n");
    const QString longue = d.chemin("long.wav");  // to write on a disk that fills up
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "anoisesrc=d=20:r=44100"}, longue));
    const struct { QString source; const char* cible; QString erreur; rlim_t disque = 0; } cas[] = {
        {faux, "mp3", illisible("faux.wav")},   {faux, "wav", illisible("faux.wav")},
        {muet, "mp3", illisible("muet.m4a")},   {muet, "m4a", illisible("muet.m4a")},
        {piege, "wav", illisible("piege.mp3")}, {liste, "mp3", illisible("liste.wav")},
        {longue, "wav", sansPlace("long.wav"), 150000}, {longue, "aiff", sansPlace("long.wav"), 150000},
        {longue, "mp3", sansPlace("long.wav"), 150000},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.source.toStdString() + " -> " + c.cible);
        std::optional<DisquePlein> plein;
        if (c.disque > 0)
            plein.emplace(c.disque);
        echoue(d, {c.source}, c.cible, {c.erreur});
    }
}

TEST(AudioEchecs, unSonSansAucuneImageEstIllisibleEtNeDonneRien)
{
    Dossier d;
    const QString source = d.chemin("vide.wav");
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "sine=d=1", "-t", "0"}, source));
    for (const char* cible : {"wav", "aiff", "m4a", "mp3"})
        echoue(d, {source}, cible, {illisible("vide.wav")});
}

TEST(AudioEchecs, laProgressionAvanceEtUnSonTronqueDonneCeQuIlContient)
{
    Dossier d;
    const QString source = d.chemin("long.wav");
    // 100000 frames: several blocks.
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "sine=sample_rate=10000:d=10"}, source));
    // The header still announces 10 s; only the first half of the samples is there.
    const QByteArray octets = lire(source);
    const QString coupe = d.ecrire("coupe.wav", octets.left(octets.size() - 2 * 50000));
    for (const char* cible : {"aiff", "mp3"}) {
        Releve releve;
        convertirUn(source, cible, releve.rappel());
        ASSERT_GT(releve.valeurs.size(), 1u) << cible;
        EXPECT_TRUE(releve.enOrdre());
        EXPECT_DOUBLE_EQ(releve.valeurs.back(), 1.0);
        // (An MP3 at this rate counts in frames of a twentieth of a second.)
        EXPECT_NEAR(duree(sonde(convertirUn(coupe, cible).value(0))), 5.0, 0.15) << cible;
    }
}
