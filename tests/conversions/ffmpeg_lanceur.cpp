// The ffmpeg runner: lookup, progress protocol, failures and the guard on dropped inputs.
#include "ffmpeg_medias.h"

#include "conversions/Conversions.h"
#include "conversions/FFmpeg.h"
#include "conversions/JournalMoteur.h"
#include "conversions/Suivi.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace Conversions;

namespace {

class FFmpegLanceur : public ::testing::Test {
protected:
    void SetUp() override { Medias::lierFFmpeg(); }
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

TEST_F(FFmpegLanceur, OddSizedMkvBecomesAnEvenH264Mp4WithProgress)
{
    const QString mkv = Medias::clip(d.chemin("film.mkv"), "65x49", 2, true, {"-c:v", "mpeg4", "-c:a", "libvorbis"});
    Medias::Releve releve;
    const QStringList crees = convertirUn(mkv, "mp4", releve.rapport());
    ASSERT_EQ(crees, QStringList{d.chemin("film.mp4")});
    EXPECT_EQ(Medias::codecs(crees[0]), (QStringList{"h264", "aac"}));
    const QJsonObject v = Medias::flux(crees[0], "video");
    EXPECT_EQ(v.value("width").toInt(), 64);
    EXPECT_EQ(v.value("height").toInt(), 48);
    EXPECT_EQ(v.value("codec_tag_string").toString(), "avc1");
    ASSERT_FALSE(releve.valeurs.empty());
    EXPECT_TRUE(releve.croissant());
    EXPECT_TRUE(releve.dansLesBornes());
    EXPECT_GT(releve.valeurs.back(), 0.9);
    EXPECT_EQ(d.noms(), (QStringList{"film.mkv", "film.mp4"}));
}

TEST_F(FFmpegLanceur, SoundOfASilentVideoFailsWithTheSourceNameAndLeavesNothing)
{
    const QString webm = Medias::clip(d.chemin("muet.webm"), "64x48", 1, false, {"-c:v", "libvpx"});
    QString journal;
    journalMoteur = [&](const QString& t) { journal += t; };
    const Resultat r = convertir({webm}, "m4a", {});
    EXPECT_TRUE(r.crees.isEmpty());
    EXPECT_EQ(r.erreurs, QStringList{QString::fromUtf8("« muet.webm » n’a pas de son")});
    EXPECT_TRUE(journal.contains("0:a:0"));  // ffmpeg's words reach the log, not the user
    EXPECT_EQ(d.noms(), QStringList{"muet.webm"});

    // With sound, the same petal gives AAC alone at 192k.
    const QString avi = Medias::clip(d.chemin("parle.avi"), "64x48", 1, true, {"-c:v", "mpeg4"});
    const QStringList crees = convertirUn(avi, "m4a");
    ASSERT_EQ(crees, QStringList{d.chemin("parle.m4a")});
    EXPECT_EQ(Medias::codecs(crees[0]), QStringList{"aac"});
}

TEST_F(FFmpegLanceur, DamagedInputLogsAndFailsWithItsName)
{
    const QString faux = d.ecrire("abime.mkv", QByteArray(4096, '\x1a'));
    QString journal;
    journalMoteur = [&](const QString& t) { journal += t; };
    try {
        convertirUn(faux, "mp4");
        FAIL() << "converted a damaged file";
    } catch (const Erreur& e) {
        EXPECT_EQ(e.message(), QString::fromUtf8("Impossible de convertir « abime.mkv »"));
    }
    EXPECT_FALSE(journal.isEmpty());
    EXPECT_EQ(d.noms(), QStringList{"abime.mkv"});

    // A pipe under a video's name would keep ffmpeg waiting for ever.
    ASSERT_EQ(::mkfifo(QFile::encodeName(d.chemin("tube.mkv")).constData(), 0600), 0);
    const Resultat r = convertir({d.chemin("tube.mkv")}, "mp4", {});
    EXPECT_EQ(r.erreurs, QStringList{QString::fromUtf8("Impossible de lire « tube.mkv »")});
    EXPECT_EQ(d.noms(), QStringList{"abime.mkv"});  // no output beside the pipe
}

TEST_F(FFmpegLanceur, OggToWavGivesOneFileAndCleansItsWorkFolder)
{
    Dossier temp;
    const QByteArray avant = qgetenv("TMPDIR");
    qputenv("TMPDIR", temp.racine().toUtf8());
    const QString ogg = Medias::fabriquer(d.chemin("chant.ogg"),
                                          {"-f", "lavfi", "-i", "sine=frequency=300:duration=1.5", "-ac", "2",
                                           "-c:a", "libvorbis"});
    Medias::Releve releve;
    const QStringList crees = convertirUn(ogg, "wav", releve.rapport());
    const QStringList restes = temp.noms();
    qputenv("TMPDIR", avant);

    ASSERT_EQ(crees, QStringList{d.chemin("chant.wav")});
    const QJsonObject a = Medias::flux(crees[0], "audio");
    EXPECT_EQ(a.value("codec_name").toString(), "pcm_s16le");
    EXPECT_EQ(a.value("channels").toInt(), 2);
    EXPECT_NEAR(Medias::sonder(crees[0]).value("format").toObject().value("duration").toString().toDouble(), 1.5, 0.05);
    EXPECT_TRUE(restes.isEmpty()) << restes.join(", ").toStdString();
    ASSERT_FALSE(releve.valeurs.empty());
    EXPECT_LE(*std::max_element(releve.valeurs.begin(), releve.valeurs.end()), 0.5);
    // Again: the name is taken, the counter goes before the extension.
    EXPECT_EQ(convertirUn(ogg, "wav"), QStringList{d.chemin("chant 2.wav")});
}

// A dropped "video" that is really a list of other files must not make us read them.
TEST_F(FFmpegLanceur, PlaylistsAndConcatScriptsInDisguiseAreRefused)
{
    Medias::clip(d.chemin("secret.ts"), "64x48", 1, false, {"-c:v", "mpeg2video"});
    d.ecrire("vacances.ts", QStringLiteral("#EXTM3U\n#EXT-X-TARGETDURATION:10\n#EXTINF:1,\n%1\n#EXT-X-ENDLIST\n")
                                .arg(d.chemin("secret.ts"))
                                .toUtf8());
    d.ecrire("soiree.mkv", "ffconcat version 1.0\nfile 'secret.ts'\n");
    d.ecrire("clip.mp4", QStringLiteral("#EXTM3U\n#EXTINF:1,\n%1\n").arg(d.chemin("secret.ts")).toUtf8());

    const Resultat r = convertir({d.chemin("vacances.ts"), d.chemin("soiree.mkv")}, "mp4", {});
    EXPECT_TRUE(r.crees.isEmpty()) << r.crees.join(", ").toStdString();
    EXPECT_EQ(r.erreurs, (QStringList{QString::fromUtf8("Impossible de convertir « vacances.ts »"),
                                      QString::fromUtf8("Impossible de convertir « soiree.mkv »")}));
    const Resultat natif = convertir({d.chemin("clip.mp4")}, "mov", {});
    EXPECT_EQ(natif.erreurs, QStringList{QString::fromUtf8("Impossible de lire « clip.mp4 »")});
    EXPECT_EQ(d.noms(), (QStringList{"clip.mp4", "secret.ts", "soiree.mkv", "vacances.ts"}));
}

// Run by the test below from a copy of this program in a folder without ffmpeg.
TEST(FFmpegSansMoteur, EveryFFmpegConversionFailsAtOnce)
{
    if (qgetenv("VEMO_SANS_MOTEUR").isEmpty())
        GTEST_SKIP() << "only inside a copy of the program without ffmpeg beside it";
    Dossier d;
    const QString manque = QString::fromUtf8("Le moteur vidéo manque dans l’app");
    const Resultat r = convertir({d.ecrire("a.mkv", "x"), d.ecrire("b.ogg", "x")}, "mp4", {});
    EXPECT_EQ(r.erreurs, (QStringList{manque, manque}));
    EXPECT_TRUE(ffmpeg().isEmpty());
    EXPECT_EQ(d.noms(), (QStringList{"a.mkv", "b.ogg"}));
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
