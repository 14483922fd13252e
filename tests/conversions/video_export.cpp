// Video export: stream copy when the container takes every stream, else re-encoding;
// the lighter copy; the sound alone; names and failures.
#include "ffmpeg_medias.h"

#include "conversions/Conversions.h"

#include <QFile>
#include <QJsonArray>
#include <QSize>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace Conversions;

namespace {

const QStringList h264aac{"-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-c:a", "aac"};

class VideoExport : public ::testing::Test {
protected:
    void SetUp() override { Medias::lierFFmpeg(); }
    Dossier d;
};

QSize taille(const QString& chemin)
{
    const QJsonObject v = Medias::flux(chemin, "video");
    return {v.value("width").toInt(), v.value("height").toInt()};
}

// Where a top-level MP4 box starts, or -1.
qint64 boite(const QString& chemin, const QByteArray& type)
{
    QFile f(chemin);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    qint64 pos = 0;
    while (pos + 8 <= f.size()) {
        f.seek(pos);
        const QByteArray tete = f.read(8);
        const qint64 n = (qint64(uchar(tete[0])) << 24) | (uchar(tete[1]) << 16) | (uchar(tete[2]) << 8) | uchar(tete[3]);
        if (tete.mid(4, 4) == type)
            return pos;
        if (n < 8)
            return -1;
        pos += n;
    }
    return -1;
}

} // namespace

TEST_F(VideoExport, StreamsThatFitTheContainerAreCopiedAsTheyAre)
{
    const QString mov = Medias::clip(d.chemin("clip.mov"), "160x120", 2, true, h264aac);
    Medias::Releve releve;
    const QStringList crees = convertirUn(mov, "mp4", releve.rapport());
    ASSERT_EQ(crees, QStringList{d.chemin("clip.mp4")});
    EXPECT_EQ(Medias::codecs(crees[0]), (QStringList{"h264", "aac"}));
    EXPECT_EQ(Medias::empreinte(crees[0], "0:v:0"), Medias::empreinte(mov, "0:v:0"));
    EXPECT_EQ(Medias::empreinte(crees[0], "0:a:0"), Medias::empreinte(mov, "0:a:0"));
    // The export's own progress, from ffmpeg, reaches the end.
    ASSERT_FALSE(releve.valeurs.empty());
    EXPECT_TRUE(releve.croissant());
    EXPECT_TRUE(releve.dansLesBornes());
    EXPECT_GT(releve.valeurs.back(), 0.9);

    // PCM sound fits a QuickTime movie but not an MPEG-4 file.
    const QString pcm = Medias::clip(d.chemin("pcm.mov"), "160x120", 1, true,
                                     {"-c:v", "libx264", "-preset", "ultrafast", "-c:a", "pcm_s16le"});
    const QStringList mov2 = convertirUn(pcm, "mov");
    ASSERT_EQ(mov2, QStringList{d.chemin("pcm 2.mov")});
    EXPECT_EQ(Medias::codecs(mov2[0]), (QStringList{"h264", "pcm_s16le"}));
    EXPECT_EQ(Medias::empreinte(mov2[0], "0:v:0"), Medias::empreinte(pcm, "0:v:0"));

    const QStringList mp4 = convertirUn(pcm, "mp4");
    ASSERT_EQ(mp4, QStringList{d.chemin("pcm.mp4")});
    EXPECT_EQ(Medias::codecs(mp4[0]), (QStringList{"h264", "aac"}));
    EXPECT_NE(Medias::empreinte(mp4[0], "0:v:0"), Medias::empreinte(pcm, "0:v:0"));
}

TEST_F(VideoExport, OddSizedOldCodecIsReencodedToEvenH264)
{
    const QString mov = Medias::clip(d.chemin("ancien.mov"), "161x121", 1, true,
                                     {"-c:v", "mjpeg", "-c:a", "pcm_s16le"});
    const QStringList crees = convertirUn(mov, "mp4");
    ASSERT_EQ(crees, QStringList{d.chemin("ancien.mp4")});
    EXPECT_EQ(Medias::codecs(crees[0]), (QStringList{"h264", "aac"}));
    EXPECT_EQ(taille(crees[0]), QSize(160, 120));
    EXPECT_EQ(Medias::flux(crees[0], "video").value("pix_fmt").toString(), "yuv420p");
}

TEST_F(VideoExport, LighterCopyFitsIn720pNeverGrowsAndStartsWithItsIndex)
{
    const QString hd = Medias::clip(d.chemin("clip.mov"), "1920x1080", 0.5, true, h264aac);
    const QStringList crees = convertirUn(hd, "leger");
    ASSERT_EQ(crees, QStringList{d.chemin(QString::fromUtf8("clip (légère).mp4"))});
    EXPECT_EQ(taille(crees[0]), QSize(1280, 720));
    EXPECT_EQ(Medias::codecs(crees[0]), (QStringList{"h264", "aac"}));
    EXPECT_NEAR(Medias::flux(crees[0], "audio").value("bit_rate").toString().toDouble(), 128000, 16000);
    ASSERT_GT(boite(crees[0], "mdat"), 0);
    EXPECT_LT(boite(crees[0], "moov"), boite(crees[0], "mdat"));
    EXPECT_EQ(convertirUn(hd, "leger"), QStringList{d.chemin(QString::fromUtf8("clip (légère) 2.mp4"))});

    const struct { const char* source; QSize attendu; } cas[] = {
        {"320x240", {320, 240}},    // never enlarged
        {"1080x1920", {720, 1280}}, // upright stays upright
        {"641x361", {640, 360}},    // even sides
        {"2000x600", {1280, 384}},  // the width bounds it
    };
    for (const auto& c : cas) {
        const QString source = Medias::clip(d.chemin(QStringLiteral("t%1.mov").arg(c.source)), c.source, 0.3, false,
                                            {"-c:v", "libx264", "-preset", "ultrafast"});
        const QStringList l = convertirUn(source, "leger");
        ASSERT_EQ(l.size(), 1);
        EXPECT_EQ(taille(l[0]), c.attendu) << c.source;
    }
}

TEST_F(VideoExport, SoundAloneCopiesAacAndRefusesASilentVideo)
{
    const QString mov = Medias::clip(d.chemin("concert.mov"), "160x120", 1, true, h264aac);
    const QStringList crees = convertirUn(mov, "m4a");
    ASSERT_EQ(crees, QStringList{d.chemin("concert.m4a")});
    EXPECT_EQ(Medias::codecs(crees[0]), QStringList{"aac"});
    EXPECT_EQ(Medias::empreinte(crees[0], "0:a:0"), Medias::empreinte(mov, "0:a:0"));

    const QString pcm = Medias::clip(d.chemin("studio.mov"), "160x120", 1, true,
                                     {"-c:v", "libx264", "-preset", "ultrafast", "-c:a", "pcm_s16le"});
    const QStringList aac = convertirUn(pcm, "m4a");
    ASSERT_EQ(aac.size(), 1);
    EXPECT_EQ(Medias::codecs(aac[0]), QStringList{"aac"});
    EXPECT_NEAR(Medias::flux(aac[0], "audio").value("bit_rate").toString().toDouble(), 256000, 40000);

    const QString muet = Medias::clip(d.chemin("muet.mp4"), "160x120", 1, false, {"-c:v", "libx264"});
    const QStringList avant = d.noms();
    const Resultat r = convertir({muet}, "m4a", {});
    EXPECT_TRUE(r.crees.isEmpty());
    EXPECT_EQ(r.erreurs, QStringList{QString::fromUtf8("« muet.mp4 » n’a pas de son")});
    EXPECT_EQ(d.noms(), avant);
}

TEST_F(VideoExport, AnyOtherTargetIsAnMpeg4FileUnderItsOwnExtension)
{
    const QString mov = Medias::clip(d.chemin("clip.m4v"), "160x120", 1, true, h264aac);
    const QStringList crees = convertirUn(mov, "video");
    ASSERT_EQ(crees, QStringList{d.chemin("clip.video")});
    EXPECT_TRUE(Medias::sonder(crees[0]).value("format").toObject().value("format_name").toString().contains("mp4"));
    EXPECT_EQ(Medias::codecs(crees[0]), (QStringList{"h264", "aac"}));
}

TEST_F(VideoExport, UnreadableOrEmptyVideosFailAndLeaveNothing)
{
    d.ecrire("abime.mov", QByteArray("\0\0\0\x18" "ftypqt  ", 12) + QByteArray(2000, '\x7f'));
    Medias::fabriquer(d.chemin("vide.mov"), {"-f", "lavfi", "-i", "testsrc=size=64x48", "-frames:v", "0"});
    ASSERT_EQ(::mkfifo(QFile::encodeName(d.chemin("tube.mov")).constData(), 0600), 0);
    const QStringList avant = d.noms();
    const Resultat r = convertir({d.chemin("abime.mov"), d.chemin("vide.mov"), d.chemin("tube.mov")}, "mp4", {});
    EXPECT_TRUE(r.crees.isEmpty());
    EXPECT_EQ(r.erreurs, (QStringList{QString::fromUtf8("Impossible de lire « abime.mov »"),
                                      QString::fromUtf8("Impossible de lire « vide »"),
                                      QString::fromUtf8("Impossible de lire « tube.mov »")}));
    EXPECT_EQ(d.noms(), avant);
}
