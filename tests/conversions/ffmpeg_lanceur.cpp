// The ffmpeg runner: lookup, progress protocol, failures and the guard on dropped inputs.
#include "conversions/media_outils.h"

#include "conversions/FFmpeg.h"
#include "conversions/JournalMoteur.h"
#include "conversions/Suivi.h"

#include <QProcess>
#include <sys/stat.h>

using namespace Conversions;

namespace {

class FFmpegLanceur : public ::testing::Test {
protected:
    void SetUp() override { lierFFmpeg(); }
    void TearDown() override { journalMoteur = nullptr; }
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

TEST(FFmpegProgres, DurationComesFromTheLogOnceItIsPrinted)
{
    Suivi s;
    s.ajouter("Input #0, matroska,webm, from 'x.mkv':\n  Dura");
    EXPECT_EQ(s.dureeLue(), 0);
    s.ajouter("tion: 01:02:03.50, start: 0.000000\n");
    EXPECT_DOUBLE_EQ(s.dureeLue(), 3723.5);
    s.ajouter("Duration: 00:00:01.00\n");  // cached: the first one wins
    EXPECT_DOUBLE_EQ(s.dureeLue(), 3723.5);
    // A character cut between two reads is decoded whole.
    Suivi accent;
    const QByteArray e = QString::fromUtf8("é").toUtf8();
    accent.ajouter("caf" + e.left(1));
    accent.ajouter(e.mid(1) + "\xff");
    EXPECT_EQ(accent.journal(), QString::fromUtf8("café\xEF\xBF\xBD"));
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
// (which would keep ffmpeg waiting for ever).
TEST_F(FFmpegLanceur, BadInputsFailWithTheirNameLogAndLeaveNothing)
{
    clip(d.chemin("muet.webm"), "64x48", 1, false, {"-c:v", "libvpx"});
    clip(d.chemin("secret.ts"), "64x48", 1, false, {"-c:v", "mpeg2video"});
    const QByteArray secret = QFile::encodeName(d.chemin("secret.ts"));
    d.ecrire("abime.mkv", QByteArray(4096, '\x1a'));
    d.ecrire("vacances.ts", "#EXTM3U\n#EXT-X-TARGETDURATION:10\n#EXTINF:1,\n" + secret + "\n#EXT-X-ENDLIST\n");
    d.ecrire("soiree.mkv", "ffconcat version 1.0\nfile 'secret.ts'\n");
    d.ecrire("clip.mp4", "#EXTM3U\n#EXTINF:1,\n" + secret + "\n");
    ASSERT_EQ(::mkfifo(QFile::encodeName(d.chemin("tube.mkv")).constData(), 0600), 0);
    QString journal;
    journalMoteur = [&](const QString& t) { journal += t; };
    const auto rate = [](const char* nom) { return QString::fromUtf8("Impossible de convertir « %1 »").arg(nom); };
    const struct { const char* source; const char* cible; QString erreur; } cas[] = {
        {"muet.webm", "m4a", QString::fromUtf8("« muet.webm » n’a pas de son")},
        {"abime.mkv", "mp4", rate("abime.mkv")},
        {"vacances.ts", "mp4", rate("vacances.ts")},
        {"soiree.mkv", "mp4", rate("soiree.mkv")},
        {"clip.mp4", "mov", illisible("clip.mp4")},
        {"tube.mkv", "mp4", illisible("tube.mkv")},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.source);
        echoue(d, {d.chemin(c.source)}, c.cible, {c.erreur});
    }
    EXPECT_TRUE(journal.contains("0:a:0"));  // ffmpeg's words reach the log, not the user
}

TEST_F(FFmpegLanceur, OggToWavGivesOneFileAndCleansItsWorkFolder)
{
    Dossier temp;
    const QByteArray avant = qgetenv("TMPDIR");
    qputenv("TMPDIR", temp.racine().toUtf8());
    const QString ogg = d.chemin("chant.ogg");
    ffmpeg({"-f", "lavfi", "-i", "sine=frequency=300:duration=1.5", "-ac", "2", "-c:a", "libvorbis"}, ogg);
    Releve releve;
    const QStringList crees = convertirUn(ogg, "wav", releve.fonction());
    const QStringList restes = temp.noms();
    qputenv("TMPDIR", avant);

    ASSERT_EQ(crees, QStringList{d.chemin("chant.wav")});
    const QJsonObject s = sonde(crees[0]);
    EXPECT_EQ(premierFlux(s).value("codec_name").toString(), "pcm_s16le");
    EXPECT_EQ(premierFlux(s).value("channels").toInt(), 2);
    EXPECT_NEAR(duree(s), 1.5, 0.05);
    EXPECT_TRUE(restes.isEmpty()) << restes.join(", ").toStdString();
    ASSERT_FALSE(releve.valeurs.empty());
    EXPECT_TRUE(releve.croissant());
    // Again: the name is taken, the counter goes before the extension.
    EXPECT_EQ(convertirUn(ogg, "wav"), QStringList{d.chemin("chant 2.wav")});
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
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();  // the system's ffmpeg stays on PATH
    env.insert("VEMO_SANS_MOTEUR", "1");
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(copie, {"--gtest_filter=FFmpegSansMoteur.*"});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QString sortie = QString::fromUtf8(p.readAll());
    EXPECT_EQ(p.exitCode(), 0) << sortie.toStdString();
    EXPECT_TRUE(sortie.contains("[  PASSED  ] 1 test")) << sortie.toStdString();
}
