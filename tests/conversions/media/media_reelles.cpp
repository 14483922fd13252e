// Sounds and videos as other programs write them: streams a container refuses, files
// whose index promises what they do not hold, cut files, variable frame rates, several
// sound tracks, sources already light.

#include "commun/Ecoute.h"
#include "conversions/media_outils.h"

using namespace Conversions;

namespace {

int nombreDeFlux(const QString& chemin, const QString& type)
{
    int n = 0;
    for (const QJsonValue v : sonde(chemin).value("streams").toArray())
        n += v.toObject().value("codec_type").toString() == type;
    return n;
}

// The file up to the end of its index: the header says how long it lasts, no sample is there.
QString sansDonnees(const Dossier& d, const QString& source, const QString& nom)
{
    const QByteArray octets = essais::lire(source);
    const qsizetype mdat = octets.indexOf("mdat");
    EXPECT_GT(mdat, octets.indexOf("moov")) << "the index must come first";
    return d.ecrire(nom, octets.left(mdat + 4));
}

TEST(MediaReels, uneCopieQueLeConteneurRefuseEstReencodee)
{
    lierFFmpeg();
    Dossier d;
    const QString source = d.chemin("av1.mp4");
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "testsrc=s=128x96:r=10:d=1", "-c:v", "libaom-av1", "-cpu-used", "8",
                        "-pix_fmt", "yuv420p"}, source));
    QStringList crees, messages;
    {
        const Ecoute ecoute;
        crees = convertirUn(source, "mov");
        messages = ecoute.messages("vemo.ffmpeg");
    }
    ASSERT_EQ(crees, QStringList{d.chemin("av1.mov")});
    EXPECT_EQ(flux(crees[0], "video").value("codec_name").toString(), "h264");
    EXPECT_NEAR(duree(sonde(crees[0])), 1.0, 0.1);
    // The refused copy's run is one message, ffmpeg's whole output with the muxer's reason.
    ASSERT_EQ(messages.size(), 1) << messages.join("\n----\n").toStdString();
    EXPECT_TRUE(messages[0].contains("av1 only supported")) << messages[0].toStdString();
}

TEST(MediaReels, unIndexSansDonneesEstIllisibleEtNeDonneRien)
{
    lierFFmpeg();
    Dossier d;
    Dossier sources;
    const QString son = sources.chemin("son.m4a");
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "sine=d=20", "-c:a", "aac", "-movflags", "+faststart"}, son));
    const QString film = sources.chemin("film.mp4");
    ASSERT_TRUE(ffmpeg(QStringList{"-f", "lavfi", "-i", "testsrc=s=64x48:d=20", "-movflags", "+faststart"} + x264,
                       film));
    const QString livre = sansDonnees(d, son, "livre.m4a");
    const QString vide = sansDonnees(d, film, "vide.mp4");
    for (const char* cible : {"wav", "aiff", "mp3", "m4a"})
        echoue(d, {livre}, cible, {illisible("livre.m4a")});
    for (const char* cible : {"mov", "mp4", "leger"})
        echoue(d, {vide}, cible, {illisible("vide.mp4")});
}

TEST(MediaReels, unSonCoupeDonneCeQuIlContientQuelQueSoitSonFormat)
{
    lierFFmpeg();
    Dossier d;
    Dossier sources;
    for (const char* ext : {"wav", "aiff", "flac", "caf"}) {
        SCOPED_TRACE(ext);
        const QString entier = sources.chemin(QStringLiteral("entier.%1").arg(ext));
        ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "sine=d=10:sample_rate=44100"}, entier));
        const QByteArray octets = essais::lire(entier);
        const QString coupe = d.ecrire(QStringLiteral("coupe.%1").arg(ext), octets.left(octets.size() / 2 + 3));
        for (const char* cible : {"m4a", "mp3"}) {
            const QStringList crees = convertirUn(coupe, cible);
            ASSERT_EQ(crees.size(), 1);
            EXPECT_NEAR(duree(sonde(crees[0])), 5.0, 0.5) << cible;
            QFile::remove(crees[0]);
        }
    }
}

TEST(MediaReels, uneCadenceVariableGardeSesTemps)
{
    lierFFmpeg();
    Dossier d;
    const QString source = d.chemin("variable.webm");
    // 36 frames over 5.6 s: ten a second, a still of two seconds, then ten a second again.
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "testsrc=s=160x120:r=10:d=3.6", "-vf",
                        "setpts='(N/10+if(gte(N,18),2,0))/TB'", "-fps_mode", "passthrough", "-c:v", "libvpx",
                        "-b:v", "200k", "-t", "10"}, source));
    const double avant = duree(sonde(source));
    ASSERT_NEAR(avant, 5.6, 0.15);
    for (const char* cible : {"mp4", "leger"}) {
        SCOPED_TRACE(cible);
        const QString sortie = convertirUn(source, cible).value(0);
        EXPECT_NEAR(duree(sonde(sortie)), avant, 0.1);
        EXPECT_EQ(flux(sortie, "video").value("nb_frames").toString().toInt(), 36);
    }
}

TEST(MediaReels, laCopieLegereGardeChaquePiste)
{
    lierFFmpeg();
    Dossier d;
    const QString source = d.chemin("pistes.mp4");
    ASSERT_TRUE(ffmpeg(QStringList{"-f", "lavfi", "-i", "testsrc=s=320x240:d=2", "-f", "lavfi", "-i", "sine=f=440:d=2",
                                   "-f", "lavfi", "-i", "sine=f=660:d=2", "-f", "lavfi", "-i", "sine=f=880:d=2",
                                   "-map", "0", "-map", "1", "-map", "2", "-map", "3", "-c:a", "aac", "-b:v", "2M"}
                           + x264, source));
    const QString leger = convertirUn(source, "leger").value(0);
    EXPECT_EQ(nombreDeFlux(leger, "audio"), 3);
    EXPECT_EQ(nombreDeFlux(leger, "video"), 1);
}

TEST(MediaReels, uneVideoLegereEstPlusLegereEtToujoursEcrite)
{
    lierFFmpeg();
    Dossier d;
    // 720p at a low rate: encoding it at the usual quality would make it heavier.
    const QString source = d.chemin("faible.mp4");
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "testsrc2=s=1280x720:r=25:d=4", "-c:v", "libx264", "-preset",
                        "veryslow", "-b:v", "150k", "-pix_fmt", "yuv420p"}, source));
    const QString leger = convertirUn(source, "leger").value(0);
    EXPECT_LT(QFileInfo(leger).size(), QFileInfo(source).size());
    EXPECT_NEAR(duree(sonde(leger)), 4.0, 0.1);

    // A few bytes of a still picture: nothing can be saved on it, the copy is made all the same.
    Dossier d2;
    const QString minuscule = d2.chemin("minuscule.mp4");
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "color=black:s=64x48:r=1:d=1", "-c:v", "libx264", "-crf", "51",
                        "-pix_fmt", "yuv420p"}, minuscule));
    const QString copie = convertirUn(minuscule, "leger").value(0);
    EXPECT_EQ(copie, d2.chemin("minuscule (légère).mp4"));
    EXPECT_NEAR(duree(sonde(copie)), 1.0, 0.1);
}

} // namespace
