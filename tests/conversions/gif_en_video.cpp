// Animated GIFs to MP4 through the dispatcher, checked with ffprobe and ffmpeg.

#include "conversions/gif_fabrique.h"
#include "conversions/media_outils.h"

#include <QImage>
#include <gtest/gtest.h>

using namespace Conversions;

namespace {

// The colour of the first picture of a video, as ffmpeg decodes it.
QColor couleur(const Dossier& d, const QString& mp4)
{
    const QString png = d.chemin("image.png");
    QFile::remove(png);
    if (!ffmpeg({"-i", mp4, "-frames:v", "1"}, png))
        return {};
    return QImage(png).pixelColor(8, 8);
}

TEST(GifEnVideo, lesDelaisDonnentLesTempsEtLaDureeALEchelle600)
{
    Dossier d;
    // 0.5 s, 0.01 s (too short: 0.1 s), none at all (0.1 s), 0.25 s.
    const QString source = d.ecrire("anim.gif", fabriquerGif(20, 10, {cadreUni(20, 10, 1, 50), cadreUni(20, 10, 2, 1),
                                                                       cadreUni(20, 10, 3), cadreUni(20, 10, 0, 25)}));
    Releve releve;
    const QStringList crees = convertirUn(source, "gifmp4", releve.fonction());
    ASSERT_EQ(crees, QStringList{d.chemin("anim.mp4")});
    const QJsonObject s = sonde(crees[0], {"-show_packets"});
    const QJsonObject flux = premierFlux(s);
    EXPECT_EQ(flux.value("codec_name").toString(), "h264");
    EXPECT_EQ(flux.value("pix_fmt").toString(), "yuv420p");
    EXPECT_EQ(flux.value("time_base").toString(), "1/600");
    EXPECT_EQ(flux.value("width").toInt(), 20);
    EXPECT_EQ(flux.value("height").toInt(), 10);
    EXPECT_NEAR(duree(s), 0.95, 0.01);
    std::vector<int> temps;
    for (const auto& p : s.value("packets").toArray())
        temps.push_back(p.toObject().value("pts").toInt());
    std::sort(temps.begin(), temps.end());
    ASSERT_EQ(temps.size(), 4u);
    EXPECT_EQ(temps[1] - temps[0], 300);
    EXPECT_EQ(temps[2] - temps[1], 60);
    EXPECT_EQ(temps[3] - temps[2], 60);
    EXPECT_EQ(releve.valeurs, (std::vector<double>{0.25, 0.5, 0.75, 1.0}));
}

TEST(GifEnVideo, lesCotesDeviennentPairsEtAuMoinsDeux)
{
    Dossier d;
    const QString large = d.ecrire("fil.gif", fabriquerGif(641, 1, {cadreUni(641, 1, 1, 10), cadreUni(641, 1, 3, 10)}));
    const QString point = d.ecrire("point.gif", fabriquerGif(1, 1, {cadreUni(1, 1, 1, 10), cadreUni(1, 1, 2, 10)}));
    for (const auto& [source, taille] : {std::pair{large, QSize(640, 2)}, std::pair{point, QSize(2, 2)}}) {
        const QJsonObject flux = premierFlux(sonde(convertirUn(source, "gifmp4").value(0)));
        EXPECT_EQ(flux.value("width").toInt(), taille.width());
        EXPECT_EQ(flux.value("height").toInt(), taille.height());
    }
}

TEST(GifEnVideo, unGifTransparentSortSurFondBlanc)
{
    Dossier d;
    const QString source = d.ecrire("vitre.gif", fabriquerGif(32, 32, {cadreUni(32, 32, 3, 10, 3), cadreUni(32, 32, 3, 10, 3)}));
    const QColor c = couleur(d, convertirUn(source, "gifmp4").value(0));
    EXPECT_GT(c.red(), 240);
    EXPECT_GT(c.green(), 240);
    EXPECT_GT(c.blue(), 240);
}

TEST(GifEnVideo, uneSeuleImageOuUnFauxGifEstRefuseSansRienCreer)
{
    Dossier d;
    const QString seule = d.ecrire("seule.gif", fabriquerGif(8, 8, {cadreUni(8, 8, 1, 10)}));
    const QString faux = d.ecrire("faux.gif", QByteArray("GIF89a pas vraiment"));
    for (const QString& source : {seule, faux}) {
        const Resultat r = convertir({source}, "gifmp4", {});
        EXPECT_TRUE(r.crees.isEmpty());
        EXPECT_EQ(r.erreurs.value(0), QStringLiteral("Impossible de lire « %1 »").arg(QFileInfo(source).fileName()));
    }
    EXPECT_EQ(d.noms(), (QStringList{"faux.gif", "seule.gif"}));
}

} // namespace
