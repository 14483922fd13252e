// ffmpeg's own words against the words it quotes: a name or a title that reads like one of its
// complaints changes nothing, and an output it cannot open is the output's failure.
#include "conversions/media_outils.h"

#include "commun/Ecoute.h"
#include "conversions/sorties/Sortie.h"

#include <functional>

using namespace Conversions;

namespace {

const QStringList aacH264 = x264 + QStringList{"-c:a", "aac"};

class FFmpegMots : public ::testing::Test {
protected:
    void SetUp() override { lierFFmpeg(); }
    Dossier d;
};

QStringList titre(const QString& texte) { return {"-metadata", "title=" + texte}; }

// The duration ffprobe reads in a file, 0 when it reads none.
double dureeLue(const QString& chemin) { return duree(sonde(chemin)); }

// A conversion of a source of `d` to `cible`, and the name of its output.
struct Route {
    const char* source;
    const char* cible;
    const char* sortie;
};

void parChaqueRoute(const Dossier& d, const QList<Route>& routes,
                    const std::function<void(const QString& source, const QString& cible, const QString& sortie)>& faire)
{
    for (const Route& r : routes) {
        SCOPED_TRACE(std::string(r.source) + " → " + r.cible);
        faire(d.chemin(QString::fromUtf8(r.source)), QString::fromLatin1(r.cible), QString::fromUtf8(r.sortie));
    }
}

} // namespace

TEST_F(FFmpegMots, NamesAndTitlesThatReadLikeFailuresStillConvert)
{
    const QString fermeture = "Error closing file";
    const QString trailer = "Error writing trailer of x: No space left on device";
    clip(d.chemin("Error writing trailer.mp4"), "64x48", 1, true, aacH264);
    clip(d.chemin("titre.mp4"), "64x48", 1, true, aacH264 + titre(fermeture));
    clip(d.chemin("film.mkv"), "64x48", 1, true, QStringList{"-c:v", "mpeg4", "-c:a", "libvorbis"} + titre(trailer));
    clip(d.chemin("Error closing file.mkv"), "64x48", 1, true, {"-c:v", "mpeg4", "-c:a", "libvorbis"});
    ASSERT_TRUE(ffmpeg(QStringList{"-f", "lavfi", "-i", "sine=d=1", "-c:a", "libvorbis"} + titre(trailer),
                       d.chemin("titre.ogg")));
    parChaqueRoute(d, {
        {"Error writing trailer.mp4", "m4a", "Error writing trailer.m4a"},
        {"Error writing trailer.mp4", "leger", "Error writing trailer (légère).mp4"},
        {"titre.mp4", "mov", "titre.mov"},
        {"titre.mp4", "m4a", "titre.m4a"},
        {"titre.mp4", "leger", "titre (légère).mp4"},
        {"film.mkv", "mp4", "film.mp4"},
        {"film.mkv", "m4a", "film.m4a"},
        {"Error closing file.mkv", "mp4", "Error closing file.mp4"},
        {"titre.ogg", "wav", "titre.wav"},
        {"titre.ogg", "mp3", "titre.mp3"},
    }, [&](const QString& source, const QString& cible, const QString& sortie) {
        const QString cree = convertirSeul(source, cible);
        EXPECT_EQ(cree, d.chemin(sortie));
        EXPECT_NEAR(dureeLue(cree), 1.0, 0.15);
    });
}

// A failure keeps its own reason when the title speaks of a full disk or of a missing stream.
TEST_F(FFmpegMots, ATitleDoesNotChangeWhyAConversionFailed)
{
    ASSERT_TRUE(ffmpeg(QStringList{"-f", "lavfi", "-i", "sine=d=1", "-c:a", "libvorbis"}
                           + titre("av_interleaved_write_frame(): No space left on device"),
                       d.chemin("disque.mkv")));
    clip(d.chemin("muet.mkv"), "64x48", 1, false, QStringList{"-c:v", "mpeg4"} + titre("Stream map '0:v:0'"));
    echoue(d, {d.chemin("disque.mkv")}, "mp4", {QString::fromUtf8("« disque.mkv » n’a pas d’image")});
    echoue(d, {d.chemin("muet.mkv")}, "m4a", {QString::fromUtf8("« muet.mkv » n’a pas de son")});
}

// ffmpeg cannot even open the output (a temporary that leads nowhere): the output is named,
// as on every other road, not the source; the log keeps ffmpeg's words without their levels.
TEST_F(FFmpegMots, AnOutputThatCannotBeOpenedIsNamed)
{
    clip(d.chemin("long.mp4"), "64x48", 1, true, aacH264);
    clip(d.chemin("film.mkv"), "64x48", 1, true, {"-c:v", "mpeg4", "-c:a", "libvorbis"});
    const Ecoute ecoute;
    Sortie::preparerLesTemporaires([](const QString& t) { QFile::link(QStringLiteral("/nulle-part/sortie"), t); });
    parChaqueRoute(d, {
        {"long.mp4", "mov", "long.mov"},
        {"long.mp4", "m4a", "long.m4a"},
        {"long.mp4", "leger", "long (légère).mp4"},
        {"film.mkv", "mp4", "film.mp4"},
        {"film.mkv", "m4a", "film.m4a"},
    }, [&](const QString& source, const QString& cible, const QString& sortie) {
        echoue(d, {source}, cible, {inecrivable(sortie)});
    });
    Sortie::preparerLesTemporaires({});
    const QString mots = ecoute.messages("vemo.ffmpeg").join('\n');
    EXPECT_TRUE(mots.contains("No such file or directory")) << mots.toStdString();
    EXPECT_FALSE(mots.contains("[error]") || mots.contains("[info]")) << mots.toStdString();
}
