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

} // namespace

// Streams that fit the container are copied, others re-encoded to H.264 of even sides and AAC;
// the lighter copy fits in 720p and is never enlarged; the sound alone is AAC.
TEST_F(VideoExport, EachTargetCopiesOrReencodesAsItMust)
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
        const QStringList crees = convertirUn(source, c.cible, releve.fonction());
        ASSERT_EQ(crees, QStringList{d.chemin(c.sortie)});
        EXPECT_EQ(codecs(crees[0]), c.codecs);
        EXPECT_EQ(taille(crees[0]), c.attendue);
        for (const QString& s : {QStringLiteral("v"), QStringLiteral("a")}) {
            if (flux(crees[0], s == "v" ? "video" : "audio").isEmpty())
                continue;
            const QString quoi = QStringLiteral("0:%1:0").arg(s);
            EXPECT_EQ(empreinte(crees[0], quoi) == empreinte(source, quoi), c.copie) << quoi.toStdString();
        }
        if (!c.copie && c.attendue.width() > 0) {
            EXPECT_EQ(flux(crees[0], "video").value("pix_fmt").toString(), "yuv420p");
            EXPECT_EQ(flux(crees[0], "video").value("codec_tag_string").toString(), "avc1");
        }
        if (c.debit > 0) {
            EXPECT_NEAR(flux(crees[0], "audio").value("bit_rate").toString().toDouble(), c.debit, c.debit * 0.15);
        }
        // The export's own progress, from ffmpeg, nears the end (without sound, ffmpeg's last
        // report lags by the encoder's delay).
        ASSERT_FALSE(releve.valeurs.empty());
        EXPECT_TRUE(releve.croissant());
        EXPECT_TRUE(releve.dansLesBornes());
        EXPECT_GT(releve.valeurs.back(), c.codecs.contains("aac") ? 0.9 : 0.6);
    }
    // The lighter copy starts with its index, to play while it downloads.
    const QByteArray leger = contenu(d.chemin(QString::fromUtf8("hd (légère).mp4")));
    ASSERT_GT(leger.indexOf("mdat"), 0);
    EXPECT_LT(leger.indexOf("moov"), leger.indexOf("mdat"));
}

TEST_F(VideoExport, ASilentVideoHasNoSoundAlone)
{
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
