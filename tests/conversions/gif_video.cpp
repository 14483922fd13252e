// The animated GIF of a video, read back with ffprobe and ffmpeg.

#include "conversions/Gif.h"
#include "conversions/media_outils.h"

#include <QImage>
#include <gtest/gtest.h>

using namespace Conversions;

namespace {

int images(const QString& gif)
{
    return premierFlux(sonde(gif, {"-count_frames"})).value("nb_read_frames").toString().toInt();
}

// The first frame of a file as ffmpeg decodes it (upright, by its own rules).
QImage premiere(const Dossier& d, const QString& chemin, const QString& nom)
{
    const QString png = d.chemin(nom + ".png");
    if (!ffmpeg({"-i", chemin, "-frames:v", "1"}, png))
        return {};
    return QImage(png);
}

struct CasCadence {
    const char* nom;
    const char* duree;
    int attendues;
    double dureeGif;
};

void PrintTo(const CasCadence& c, std::ostream* os) { *os << c.nom; }

class Cadence : public testing::TestWithParam<CasCadence> {};

TEST_P(Cadence, douzeParSecondeAuPlusEtTroisCentsImagesEnTout)
{
    const CasCadence& c = GetParam();
    Dossier d;
    const QString source = d.chemin("clip.mp4");
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", QStringLiteral("testsrc=r=30:s=160x120:d=%1").arg(c.duree),
                        "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p"}, source));
    Releve releve;
    const QStringList crees = convertirUn(source, "gif", releve.fonction());
    ASSERT_EQ(crees, QStringList{d.chemin("clip.gif")});
    const QString sortie = crees[0];
    EXPECT_EQ(images(sortie), c.attendues);
    const QJsonObject s = sonde(sortie);
    EXPECT_EQ(premierFlux(s).value("codec_name").toString(), "gif");
    EXPECT_EQ(premierFlux(s).value("width").toInt(), 160);
    EXPECT_NEAR(duree(s), c.dureeGif, 0.05);
    ASSERT_EQ(releve.valeurs.size(), size_t(c.attendues));
    EXPECT_TRUE(releve.croissant());
    EXPECT_NEAR(releve.valeurs.back(), 0.55, 1e-9);
    // It loops forever: the application extension with a count of 0.
    EXPECT_TRUE(contenu(sortie).contains(QByteArray("NETSCAPE2.0\x03\x01\x00\x00", 16)));
}

INSTANTIATE_TEST_SUITE_P(Gif, Cadence,
                         testing::Values(CasCadence{"demi_seconde", "0.5", 6, 6 * 0.08},
                                         CasCadence{"une_minute", "60", 300, 60.0},
                                         CasCadence{"un_vingtieme", "0.05", 1, 0.08}),
                         [](const auto& info) { return std::string(info.param.nom); });

TEST(Gif, laRotationDAffichageEstAppliqueeEtLImageTientDans480)
{
    Dossier d;
    // Red on the left, blue on the right, shown turned a quarter clockwise.
    const QString droit = d.chemin("droit.mp4");
    const QString source = d.chemin("tourne.mp4");
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "color=red:s=640x360:d=1", "-f", "lavfi", "-i",
                        "color=blue:s=640x360:d=1", "-filter_complex", "[0][1]hstack", "-c:v", "libx264",
                        "-preset", "ultrafast", "-pix_fmt", "yuv420p"}, droit));
    // The muxer writes the display matrix only on a stream copy.
    ASSERT_TRUE(ffmpeg({"-i", droit, "-c", "copy", "-metadata:s:v:0", "rotate=90"}, source));
    const QString sortie = gif(source, d.racine(), "tourne", {});
    const QJsonObject flux = premierFlux(sonde(sortie));
    EXPECT_EQ(flux.value("width").toInt(), 135);
    EXPECT_EQ(flux.value("height").toInt(), 480);
    const QImage attendu = premiere(d, source, "attendu");
    const QImage obtenu = premiere(d, sortie, "obtenu");
    ASSERT_FALSE(attendu.isNull());
    ASSERT_EQ(attendu.size(), QSize(360, 1280));
    ASSERT_EQ(obtenu.size(), QSize(135, 480));
    for (const QPointF& p : {QPointF(0.5, 0.2), QPointF(0.5, 0.8)}) {
        const QColor a = attendu.pixelColor(int(p.x() * 360), int(p.y() * 1280));
        const QColor o = obtenu.pixelColor(int(p.x() * 135), int(p.y() * 480));
        EXPECT_NEAR(a.red(), o.red(), 40);
        EXPECT_NEAR(a.blue(), o.blue(), 40);
    }
}

TEST(Gif, uneVideoIllisibleOuSansImageEchoueAvecLeNomSansExtension)
{
    Dossier d;
    const QString faux = d.ecrire("clip.mov", QByteArray(3000, 'x'));
    const QString son = d.chemin("son.mov");
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "sine=d=1", "-f", "mov"}, son));
    const QString vide = d.chemin("vide.mp4");
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "testsrc=s=64x48", "-t", "0", "-c:v", "libx264"}, vide));
    // A bare H.264 stream has no duration at all.
    const QString brut = d.chemin("brut.mp4");
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "testsrc=s=64x48:d=1", "-c:v", "libx264", "-f", "h264"}, brut));
    for (const auto& [source, base] : {std::pair{faux, QString("clip")}, std::pair{son, QString("son")},
                                       std::pair{vide, QString("vide")}, std::pair{brut, QString("brut")}}) {
        try {
            gif(source, d.racine(), base, {});
            ADD_FAILURE() << "accepté : " << source.toStdString();
        } catch (const Erreur& e) {
            EXPECT_EQ(e.message(), QStringLiteral("Impossible de lire « %1 »").arg(base));
        }
    }
    EXPECT_EQ(d.noms(), (QStringList{"brut.mp4", "clip.mov", "son.mov", "vide.mp4"}));
}

TEST(Gif, entreDeuxImagesTropEspaceesLaPrecedenteEstRepetee)
{
    Dossier d;
    const QString source = d.chemin("lent.mp4");
    // Two frames a second sampled twelve times a second: most times find no frame near.
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "testsrc=r=2:s=64x48:d=2", "-c:v", "libx264", "-preset", "ultrafast",
                        "-pix_fmt", "yuv420p"}, source));
    const QString sortie = gif(source, d.racine(), "lent", {});
    EXPECT_NEAR(duree(sonde(sortie)), 24 * 0.08, 0.05);
    // Each repeated run shows the same picture: the second and the third frames match.
    const QString a = d.chemin("a.png"), b = d.chemin("b.png");
    ASSERT_TRUE(ffmpeg({"-i", sortie, "-vf", "select='eq(n,1)'", "-frames:v", "1"}, a));
    ASSERT_TRUE(ffmpeg({"-i", sortie, "-vf", "select='eq(n,2)'", "-frames:v", "1"}, b));
    EXPECT_EQ(QImage(a), QImage(b));
}

TEST(Gif, quandAucuneImageNeSeDecodeLeGifNEstPasGarde)
{
    Dossier d;
    const QString source = d.chemin("abime.mp4");
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "testsrc=r=10:s=64x48:d=1", "-c:v", "libx264", "-preset", "ultrafast",
                        "-pix_fmt", "yuv420p", "-movflags", "+faststart"}, source));
    // The index stays whole, every picture is garbage.
    QByteArray octets = contenu(source);
    const qsizetype debut = octets.indexOf("mdat") + 4;
    ASSERT_GT(debut, 4);
    octets.replace(debut, octets.size() - debut, QByteArray(octets.size() - debut, '\xff'));
    d.ecrire("abime.mp4", octets);
    try {
        gif(source, d.racine(), "abime", {});
        ADD_FAILURE() << "un GIF sans image a été accepté";
    } catch (const Erreur& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Impossible d’écrire « abime.gif »"));
    }
    EXPECT_EQ(d.noms(), QStringList{"abime.mp4"});
}

TEST(Gif, unDisquePleinPendantLEcritureNeLaisseRien)
{
    Dossier d;
    const QString source = d.chemin("long.mp4");
    // Far more frames than the ring holds at once.
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "testsrc=r=10:s=160x120:d=30", "-c:v", "libx264", "-preset",
                        "ultrafast", "-pix_fmt", "yuv420p"}, source));
    try {
        DisquePlein plein(100000);
        gif(source, d.racine(), "long", {});
        ADD_FAILURE() << "écrit malgré le disque plein";
    } catch (const Erreur& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Impossible d’écrire « long.gif »"));
    }
    EXPECT_EQ(d.noms(), QStringList{"long.mp4"});
}

TEST(Gif, unNomPrisDonneLeSuivantEtRienNEstEcrase)
{
    Dossier d;
    const QString source = d.chemin("clip.mp4");
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "testsrc=r=10:s=64x48:d=0.3", "-c:v", "libx264", "-preset",
                        "ultrafast", "-pix_fmt", "yuv420p"}, source));
    const QString existant = d.ecrire("clip.gif", "garde-moi");
    EXPECT_EQ(gif(source, d.racine(), "clip", {}), d.chemin("clip 2.gif"));
    EXPECT_EQ(contenu(existant), "garde-moi");
    EXPECT_EQ(d.noms(), (QStringList{"clip 2.gif", "clip.gif", "clip.mp4"}));
}

} // namespace
