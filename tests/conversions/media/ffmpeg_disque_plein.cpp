// Every road through ffmpeg on a disk with a little room left: a file whose end did not fit
// (an MPEG-4 file without its index) is a failure of the output, and nothing is left.

#include "conversions/media_outils.h"
#include "conversions/petit_disque.h"

using namespace Conversions;

namespace {

class FFmpegDisquePlein : public PetitDisque {
protected:
    void SetUp() override
    {
        lierFFmpeg();
        // Noise: no encoder makes the outputs smaller than the room left.
        const QStringList bruite{"-f", "lavfi", "-i", "testsrc=size=320x240:rate=10:duration=4", "-f", "lavfi",
                                 "-i", "anoisesrc=sample_rate=44100:amplitude=0.5:duration=4", "-ac", "2",
                                 "-vf", "noise=alls=40:allf=t", "-shortest"};
        ASSERT_TRUE(ffmpeg(bruite + x264 + QStringList{"-c:a", "aac", "-b:a", "256k"}, sources.chemin("clip.mp4")));
        ASSERT_TRUE(ffmpeg(bruite + QStringList{"-c:v", "mpeg4", "-q:v", "4", "-c:a", "libvorbis"},
                           sources.chemin("film.mkv")));
        ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "anoisesrc=d=4:r=44100", "-c:a", "libvorbis"}, sources.chemin("son.ogg")));
        if (!monter("8m"))
            GTEST_SKIP() << "no right to mount a small file system here";
        for (const char* nom : {"clip.mp4", "film.mkv", "son.ogg"})
            ASSERT_TRUE(QFile::copy(sources.chemin(nom), d.chemin(nom)));
    }
    Dossier sources;
};

TEST_F(FFmpegDisquePlein, AFileCutShortIsNeverCalledCreated)
{
    const struct {
        const char* source; const char* cible; const char* sortie;
    } routes[] = {
        {"clip.mp4", "m4a", "clip.m4a"},                 // the sound copied as it is
        {"clip.mp4", "mov", "clip.mov"},                 // every stream copied
        {"clip.mp4", "leger", "clip (légère).mp4"},      // re-encoded, its index moved to the front
        {"film.mkv", "mp4", "film.mp4"},                 // what only ffmpeg reads, re-encoded
        {"film.mkv", "m4a", "film.m4a"},
        {"son.ogg", "wav", "son.wav"},                   // made elsewhere, then moved here
    };
    for (const qint64 libre : {64 << 10, 4 << 10}) {
        remplir(libre);
        for (const auto& r : routes) {
            SCOPED_TRACE(std::to_string(libre) + " " + r.source + " → " + r.cible);
            echoue(d, {d.chemin(r.source)}, r.cible, {sansPlace(QString::fromUtf8(r.source))});
        }
        QFile::remove(d.chemin(".plein"));
    }
}

} // namespace
