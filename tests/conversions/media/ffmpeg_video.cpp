// The ffmpeg runner (lookup, progress protocol, failures, the guard on dropped inputs) and the
// video exports it makes: stream copy or re-encoding, the lighter copy, the sound alone.
#include "conversions/media_outils.h"

#include "conversions/media/FFmpeg.h"
#include "conversions/travail/Suivi.h"
#include "commun/Ecoute.h"

#include <sys/stat.h>

using namespace Conversions;

namespace {

const QStringList h264aac = x264 + QStringList{"-c:a", "aac"};
const QStringList h264pcm{"-c:v", "libx264", "-preset", "ultrafast", "-c:a", "pcm_s16le"};

class FFmpegLanceur : public ::testing::Test {
protected:
    void SetUp() override { lierFFmpeg(); }
    Dossier d;
};

std::vector<double> lireProgres(const std::vector<QByteArray>& lectures, double duree)
{
    LecteurDeProgres lecteur;
    std::vector<double> v;
    for (const QByteArray& l : lectures)
        lecteur.lire(l, [&] { return duree; }, [&](double f) { v.push_back(f); });
    return v;
}

QSize taille(const QString& chemin)
{
    const QJsonObject v = flux(chemin, "video");
    return {v.value("width").toInt(), v.value("height").toInt()};
}

} // namespace

TEST(FFmpegProgres, ReadsOnlyCompleteOutTimeLinesAgainstTheDuration)
{
    // A line cut between two reads is read once, whole; other keys are ignored.
    EXPECT_EQ(lireProgres({"frame=3\nout_time_us=250", "0000\nspeed=2x\nout_time_us=5000000\n"}, 10),
              (std::vector<double>{0.25, 0.5}));
    // Past the end reports 1, never more; "N/A" and negative starts do not go below 0.
    EXPECT_EQ(lireProgres({"out_time_us=N/A\nout_time_us=-40000\nout_time_us=99000000\n"}, 10),
              (std::vector<double>{0.0, 1.0}));
    // No duration yet: nothing reported.
    EXPECT_TRUE(lireProgres({"out_time_us=1000000\n"}, 0).empty());
}

TEST_F(FFmpegLanceur, LookupWantsAnExecutableFileBesideTheProgram)
{
    EXPECT_TRUE(ffmpegDans(d.racine()).isEmpty());
    const QString plat = d.ecrire("ffmpeg", "#!/bin/sh\n");
    EXPECT_TRUE(ffmpegDans(d.racine()).isEmpty());  // not executable
    QFile::setPermissions(plat, QFile::permissions(plat) | QFile::ExeOwner);
    EXPECT_EQ(ffmpegDans(d.racine()), QFileInfo(plat).canonicalFilePath());
    EXPECT_FALSE(ffmpeg().isEmpty());
}

// Silent, damaged, or not a video at all: a list of other files (which must not be read) or a pipe
// (which would keep ffmpeg waiting for ever). What ffmpeg cannot open is unreadable, as elsewhere.
TEST_F(FFmpegLanceur, BadInputsFailWithTheirNameLogAndLeaveNothing)
{
    clip(d.chemin("muet.webm"), "64x48", 1, false, {"-c:v", "libvpx"});
    clip(d.chemin("secret.ts"), "64x48", 1, false, {"-c:v", "mpeg2video"});
    const QByteArray secret = QFile::encodeName(d.chemin("secret.ts"));
    d.ecrire("abime.mkv", QByteArray(4096, '\x1a'));
    d.ecrire("vacances.ts", "#EXTM3U\n#EXT-X-TARGETDURATION:10\n#EXTINF:1,\n" + secret + "\n#EXT-X-ENDLIST\n");
    d.ecrire("soiree.mkv", "ffconcat version 1.0\nfile 'secret.ts'\n");
    d.ecrire("clip.mp4", "#EXTM3U\n#EXTINF:1,\n" + secret + "\n");
    clip(d.chemin("muet.mp4"), "64x48", 1, false, {"-c:v", "libx264"});
    d.ecrire("abime.mov", QByteArray("\0\0\0\x18" "ftypqt  ", 12) + QByteArray(2000, '\x7f'));
    ffmpeg({"-f", "lavfi", "-i", "testsrc=size=64x48", "-frames:v", "0"}, d.chemin("vide.mov"));
    for (const char* tube : {"tube.mkv", "tube.mov"})
        ASSERT_EQ(::mkfifo(QFile::encodeName(d.chemin(tube)).constData(), 0600), 0);
    const Ecoute ecoute;
    const struct { const char* source; const char* cible; QString erreur; } cas[] = {
        {"muet.webm", "m4a", QString::fromUtf8("« muet.webm » n’a pas de son")},
        {"abime.mkv", "mp4", illisible("abime.mkv")},
        {"vacances.ts", "mp4", illisible("vacances.ts")},
        {"soiree.mkv", "mp4", illisible("soiree.mkv")},
        {"clip.mp4", "mov", illisible("clip.mp4")},
        {"tube.mkv", "mp4", illisible("tube.mkv")},
        {"muet.mp4", "m4a", QString::fromUtf8("« muet.mp4 » n’a pas de son")},
        {"abime.mov", "mp4", illisible("abime.mov")},
        {"vide.mov", "mp4", illisible("vide.mov")},  // no length: ffmpeg would never end
        {"tube.mov", "mp4", illisible("tube.mov")},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.source);
        echoue(d, {d.chemin(c.source)}, c.cible, {c.erreur});
    }
    EXPECT_TRUE(ecoute.messages("vemo.ffmpeg").join('\n').contains("0:a:0"));  // ffmpeg's words reach the log, not the user
}

// What only ffmpeg reads fails with the words of the files the platform reads: a file of sound
// alone has no picture for an MP4, and an empty file is one that cannot be read.
TEST_F(FFmpegLanceur, SoundAloneAndEmptyFilesSayWhatTheyLack)
{
    for (const char* nom : {"son.mkv", "son.avi", "son.mp4"})
        ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "sine=d=1"}, d.chemin(nom)));
    const auto sansImage = [](const QString& nom) { return QString::fromUtf8("« %1 » n’a pas d’image").arg(nom); };
    echoue(d, {d.chemin("son.mkv")}, "mp4", {sansImage("son.mkv")});
    echoue(d, {d.chemin("son.avi")}, "mp4", {sansImage("son.avi")});
    echoue(d, {d.chemin("son.mp4")}, "gif", {sansImage("son.mp4")});
    // And the files the platform reads, on every road that makes a video.
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "sine=d=1", "-c:a", "aac"}, d.chemin("son.mov")));
    for (const char* nom : {"son.mp4", "son.mov"})
        for (const char* cible : {"mp4", "mov", "leger"}) {
            SCOPED_TRACE(std::string(nom) + " → " + cible);
            echoue(d, {d.chemin(nom)}, cible, {sansImage(nom)});
        }
    const struct { const char* nom; QStringList cibles; } vides[] = {
        {"vide.mkv", {"mp4", "m4a"}},
        {"vide.webm", {"mp4", "m4a"}},
        {"vide.avi", {"mp4", "m4a"}},
        {"vide.ogg", {"wav", "mp3", "m4a", "aiff"}},
        {"vide.mp4", {"mov", "m4a", "gif"}},
    };
    for (const auto& v : vides) {
        d.ecrire(v.nom, {});
        for (const QString& cible : v.cibles) {
            SCOPED_TRACE(std::string(v.nom) + " → " + cible.toStdString());
            echoue(d, {d.chemin(v.nom)}, cible, {illisible(v.nom)});
        }
    }
}

// A picture of one pixel: copied as it is where the container takes it, else made two pixels a
// side, as H.264 in 4:2:0 wants even sides.
TEST_F(FFmpegLanceur, AOnePixelVideoGoesEveryRoad)
{
    const QStringList unPixel{"-f", "lavfi", "-i", "testsrc=size=16x16:rate=10:duration=1", "-vf", "scale=1:1"};
    ASSERT_TRUE(ffmpeg(unPixel + QStringList{"-c:v", "libx264", "-pix_fmt", "yuv444p"}, d.chemin("point.mp4")));
    ASSERT_TRUE(ffmpeg(unPixel + QStringList{"-c:v", "ffv1"}, d.chemin("point.mkv")));
    const struct { const char* source; const char* cible; const char* sortie; QSize taille; } routes[] = {
        {"point.mp4", "mov", "point.mov", {1, 1}},
        {"point.mp4", "leger", "point (légère).mp4", {2, 2}},
        {"point.mp4", "gif", "point.gif", {}},
        {"point.mkv", "mp4", "point 2.mp4", {2, 2}},
    };
    for (const auto& r : routes) {
        SCOPED_TRACE(std::string(r.source) + " → " + r.cible);
        const QString cree = convertirSeul(d.chemin(r.source), r.cible);
        EXPECT_EQ(cree, d.chemin(QString::fromUtf8(r.sortie)));
        if (r.taille.isValid())
            EXPECT_EQ(taille(cree), r.taille);
    }
}

TEST_F(FFmpegLanceur, OggToWavGivesOneFileAndCleansItsWorkFolder)
{
    Dossier temp;
    const QByteArray avant = qgetenv("TMPDIR");
    qputenv("TMPDIR", temp.racine().toUtf8());
    const QString ogg = d.chemin("chant.ogg");
    ffmpeg({"-f", "lavfi", "-i", "sine=frequency=300:duration=1.5", "-ac", "2", "-c:a", "libvorbis"}, ogg);
    Releve releve;
    const QStringList crees = convertirUn(ogg, "wav", releve.rappel());
    const QStringList restes = temp.noms();
    qputenv("TMPDIR", avant);

    ASSERT_EQ(crees, QStringList{d.chemin("chant.wav")});
    EXPECT_EQ(codecs(crees[0]), QStringList{"pcm_s16le"});
    EXPECT_NEAR(duree(sonde(crees[0])), 1.5, 0.05);
    EXPECT_TRUE(restes.isEmpty()) << restes.join(", ").toStdString();
    ASSERT_FALSE(releve.valeurs.empty());
    EXPECT_TRUE(releve.enOrdre());
    EXPECT_DOUBLE_EQ(releve.valeurs.back(), 1.0);
}

// Streams that fit the container are copied, others re-encoded to H.264 of even sides and AAC;
// the lighter copy fits in 720p and is never enlarged; the sound alone is AAC.
TEST_F(FFmpegLanceur, EachTargetCopiesOrReencodesAsItMust)
{
    const QStringList mjpeg{"-c:v", "mjpeg", "-c:a", "pcm_s16le"};
    const QStringList muet{"-c:v", "libx264", "-preset", "ultrafast"};
    const QStringList h264{"h264"}, avecAac{"h264", "aac"}, aac{"aac"};
    const struct {
        const char* source; const char* taille; QStringList codage; const char* cible; QString sortie;
        QStringList codecs; bool copie; QSize attendue; int debit = 0;
    } cas[] = {
        {"clip.mov", "160x120", h264aac, "mp4", "clip.mp4", avecAac, true, {160, 120}},
        // PCM sound fits a QuickTime movie but not an MPEG-4 file.
        {"pcm.mov", "160x120", h264pcm, "mov", "pcm 2.mov", {"h264", "pcm_s16le"}, true, {160, 120}},
        {"pcm.mov", "160x120", h264pcm, "mp4", "pcm.mp4", avecAac, false, {160, 120}},
        {"ancien.mov", "161x121", mjpeg, "mp4", "ancien.mp4", avecAac, false, {160, 120}},
        // Any other target is an MPEG-4 file under its own extension.
        {"clip.m4v", "160x120", h264aac, "video", "clip.video", avecAac, true, {160, 120}},
        // Formats ffmpeg alone reads are always re-encoded.
        {"film.mkv", "65x49", {"-c:v", "mpeg4", "-c:a", "libvorbis"}, "mp4", "film.mp4", avecAac, false, {64, 48}},
        {"film.mkv", "65x49", {}, "m4a", "film.m4a", aac, false, {0, 0}},
        {"clip.mov", "", {}, "m4a", "clip.m4a", aac, true, {0, 0}},
        {"pcm.mov", "", {}, "m4a", "pcm.m4a", aac, false, {0, 0}, 256000},
        {"hd.mov", "1920x1080", h264aac, "leger", QString::fromUtf8("hd (légère).mp4"), avecAac, false, {1280, 720}, 128000},
        {"petit.mov", "320x240", muet, "leger", QString::fromUtf8("petit (légère).mp4"), h264, false, {320, 240}},
        {"debout.mov", "1080x1920", muet, "leger", QString::fromUtf8("debout (légère).mp4"), h264, false, {720, 1280}},
        {"impair.mov", "641x361", muet, "leger", QString::fromUtf8("impair (légère).mp4"), h264, false, {640, 360}},
        {"large.mov", "2000x600", muet, "leger", QString::fromUtf8("large (légère).mp4"), h264, false, {1280, 384}},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(QStringLiteral("%1 -> %2").arg(c.source, c.cible).toStdString());
        const QString source = d.chemin(c.source);
        if (!QFile::exists(source))
            clip(source, c.taille, 1, c.codage.contains("-c:a"), c.codage);
        Releve releve;
        const QStringList crees = convertirUn(source, c.cible, releve.rappel());
        ASSERT_EQ(crees, QStringList{d.chemin(c.sortie)});
        EXPECT_EQ(codecs(crees[0]), c.codecs);
        EXPECT_EQ(taille(crees[0]), c.attendue);
        for (const QString type : {"video", "audio"}) {
            const QString quoi = "0:" + type.left(1) + ":0";
            if (!flux(crees[0], type).isEmpty()) {
                EXPECT_EQ(empreinte(crees[0], quoi) == empreinte(source, quoi), c.copie) << quoi.toStdString();
            }
        }
        if (!c.copie && c.attendue.width() > 0) {
            const QJsonObject v = flux(crees[0], "video");
            EXPECT_EQ(v.value("pix_fmt").toString() + " " + v.value("codec_tag_string").toString(), "yuv420p avc1");
        }
        if (c.debit > 0) {
            EXPECT_NEAR(flux(crees[0], "audio").value("bit_rate").toString().toDouble(), c.debit, c.debit * 0.15);
        }
        // The export's own progress, from ffmpeg, nears the end (without sound, ffmpeg's last
        // report lags by the encoder's delay).
        ASSERT_FALSE(releve.valeurs.empty());
        EXPECT_TRUE(releve.enOrdre());
        EXPECT_GT(releve.valeurs.back(), c.codecs.contains("aac") ? 0.9 : 0.6);
    }
    // The lighter copy starts with its index, to play while it downloads.
    const QByteArray leger = lire(d.chemin(QString::fromUtf8("hd (légère).mp4")));
    ASSERT_GT(leger.indexOf("mdat"), 0);
    EXPECT_LT(leger.indexOf("moov"), leger.indexOf("mdat"));
}

// Run by the test below from a copy of this program in a folder without ffmpeg.
TEST(FFmpegSansMoteur, EveryFFmpegConversionFailsAtOnce)
{
    if (qgetenv("VEMO_SANS_MOTEUR").isEmpty())
        GTEST_SKIP() << "only inside a copy of the program without ffmpeg beside it";
    Dossier d;
    const QString manque = QString::fromUtf8("Le moteur vidéo manque dans l’app");
    EXPECT_TRUE(ffmpeg().isEmpty());
    echoue(d, {d.ecrire("a.mkv", "x"), d.ecrire("b.ogg", "x")}, "mp4", {manque, manque});
}

TEST(FFmpegLookup, WithoutFFmpegBesideTheProgramNothingRuns)
{
    Dossier d;
    const QString copie = d.chemin("programme");
    ASSERT_TRUE(QFile::copy(QCoreApplication::applicationFilePath(), copie));
    qputenv("VEMO_SANS_MOTEUR", "1");  // the system's ffmpeg stays on PATH
    QString sortie;
    const int code = executer(copie, {"--gtest_filter=FFmpegSansMoteur.*"}, &sortie, 60000);
    qunsetenv("VEMO_SANS_MOTEUR");
    EXPECT_EQ(code, 0) << sortie.toStdString();
    EXPECT_TRUE(sortie.contains("[  PASSED  ] 1 test")) << sortie.toStdString();
}
