// Video export: stream copy when the container takes every stream, else re-encoding;
// the lighter copy; the sound alone; failures.
#include "conversions/media_outils.h"

#include <QSize>
#include <sys/stat.h>

using namespace Conversions;

namespace {

const QStringList h264aac = x264 + QStringList{"-c:a", "aac"};
const QStringList h264pcm{"-c:v", "libx264", "-preset", "ultrafast", "-c:a", "pcm_s16le"};

class VideoExport : public ::testing::Test {
protected:
    void SetUp() override { lierFFmpeg(); }
    Dossier d;
};

QSize taille(const QString& chemin)
{
    const QJsonObject v = flux(chemin, "video");
    return {v.value("width").toInt(), v.value("height").toInt()};
}

// Where a top-level MP4 box starts, or -1.
qint64 boite(const QString& chemin, const QByteArray& type)
{
    const QByteArray o = contenu(chemin);
    for (qint64 pos = 0; pos + 8 <= o.size();) {
        const qint64 n = (qint64(uchar(o[pos])) << 24) | (uchar(o[pos + 1]) << 16) | (uchar(o[pos + 2]) << 8)
                         | uchar(o[pos + 3]);
        if (o.mid(pos + 4, 4) == type)
            return pos;
        if (n < 8)
            return -1;
        pos += n;
    }
    return -1;
}

} // namespace

TEST_F(VideoExport, StreamsThatFitTheContainerAreCopiedElseReencodedToEvenH264)
{
    const struct {
        const char* source; const char* taille; QStringList codage; const char* cible;
        const char* sortie; QStringList codecs; bool copie;
    } cas[] = {
        {"clip.mov", "160x120", h264aac, "mp4", "clip.mp4", {"h264", "aac"}, true},
        // PCM sound fits a QuickTime movie but not an MPEG-4 file.
        {"pcm.mov", "160x120", h264pcm, "mov", "pcm 2.mov", {"h264", "pcm_s16le"}, true},
        {"pcm.mov", "160x120", h264pcm, "mp4", "pcm.mp4", {"h264", "aac"}, false},
        {"ancien.mov", "161x121", {"-c:v", "mjpeg", "-c:a", "pcm_s16le"}, "mp4", "ancien.mp4", {"h264", "aac"}, false},
        // Any other target is an MPEG-4 file under its own extension.
        {"clip.m4v", "160x120", h264aac, "video", "clip.video", {"h264", "aac"}, true},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(QStringLiteral("%1 -> %2").arg(c.source, c.cible).toStdString());
        const QString source = d.chemin(c.source);
        if (!QFile::exists(source))
            clip(source, c.taille, 1.5, true, c.codage);
        Releve releve;
        const QStringList crees = convertirUn(source, c.cible, releve.fonction());
        ASSERT_EQ(crees, QStringList{d.chemin(c.sortie)});
        EXPECT_EQ(codecs(crees[0]), c.codecs);
        EXPECT_EQ(taille(crees[0]), QSize(160, 120));
        if (c.copie) {
            EXPECT_EQ(empreinte(crees[0], "0:v:0"), empreinte(source, "0:v:0"));
            EXPECT_EQ(empreinte(crees[0], "0:a:0"), empreinte(source, "0:a:0"));
        } else {
            EXPECT_NE(empreinte(crees[0], "0:v:0"), empreinte(source, "0:v:0"));
            EXPECT_EQ(flux(crees[0], "video").value("pix_fmt").toString(), "yuv420p");
        }
        // The export's own progress, from ffmpeg, reaches the end.
        ASSERT_FALSE(releve.valeurs.empty());
        EXPECT_TRUE(releve.croissant());
        EXPECT_TRUE(releve.dansLesBornes());
        EXPECT_GT(releve.valeurs.back(), 0.9);
    }
}

TEST_F(VideoExport, LighterCopyFitsIn720pNeverGrowsAndStartsWithItsIndex)
{
    const QString hd = clip(d.chemin("clip.mov"), "1920x1080", 0.5, true, h264aac);
    const QStringList crees = convertirUn(hd, "leger");
    ASSERT_EQ(crees, QStringList{d.chemin(QString::fromUtf8("clip (légère).mp4"))});
    EXPECT_EQ(taille(crees[0]), QSize(1280, 720));
    EXPECT_EQ(codecs(crees[0]), (QStringList{"h264", "aac"}));
    EXPECT_NEAR(flux(crees[0], "audio").value("bit_rate").toString().toDouble(), 128000, 16000);
    ASSERT_GT(boite(crees[0], "mdat"), 0);
    EXPECT_LT(boite(crees[0], "moov"), boite(crees[0], "mdat"));

    const struct { const char* source; QSize attendu; } cas[] = {
        {"320x240", {320, 240}},    // never enlarged
        {"1080x1920", {720, 1280}}, // upright stays upright
        {"641x361", {640, 360}},    // even sides
        {"2000x600", {1280, 384}},  // the width bounds it
    };
    for (const auto& c : cas) {
        const QString source = clip(d.chemin(QStringLiteral("t%1.mov").arg(c.source)), c.source, 0.3, false,
                                    {"-c:v", "libx264", "-preset", "ultrafast"});
        EXPECT_EQ(taille(convertirUn(source, "leger").value(0)), c.attendu) << c.source;
    }
}

TEST_F(VideoExport, SoundAloneCopiesAacAndRefusesASilentVideo)
{
    const QString mov = clip(d.chemin("concert.mov"), "160x120", 1, true, h264aac);
    const QStringList crees = convertirUn(mov, "m4a");
    ASSERT_EQ(crees, QStringList{d.chemin("concert.m4a")});
    EXPECT_EQ(codecs(crees[0]), QStringList{"aac"});
    EXPECT_EQ(empreinte(crees[0], "0:a:0"), empreinte(mov, "0:a:0"));

    const QString pcm = clip(d.chemin("studio.mov"), "160x120", 1, true, h264pcm);
    const QString aac = convertirUn(pcm, "m4a").value(0);
    EXPECT_EQ(codecs(aac), QStringList{"aac"});
    EXPECT_NEAR(flux(aac, "audio").value("bit_rate").toString().toDouble(), 256000, 40000);

    const QString muet = clip(d.chemin("muet.mp4"), "160x120", 1, false, {"-c:v", "libx264"});
    echoue(d, {muet}, "m4a", {QString::fromUtf8("« muet.mp4 » n’a pas de son")});
}

TEST_F(VideoExport, UnreadableOrEmptyVideosFailAndLeaveNothing)
{
    d.ecrire("abime.mov", QByteArray("\0\0\0\x18" "ftypqt  ", 12) + QByteArray(2000, '\x7f'));
    ffmpeg({"-f", "lavfi", "-i", "testsrc=size=64x48", "-frames:v", "0"}, d.chemin("vide.mov"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(d.chemin("tube.mov")).constData(), 0600), 0);
    echoue(d, {d.chemin("abime.mov"), d.chemin("vide.mov"), d.chemin("tube.mov")}, "mp4",
           {illisible("abime.mov"), illisible("vide"), illisible("tube.mov")});
}
