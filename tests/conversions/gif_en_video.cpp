// Animated GIFs to MP4 through the dispatcher, checked with ffprobe and ffmpeg.

#include "conversions/gif_fabrique.h"
#include "conversions/media_outils.h"

#include <QImage>

using namespace Conversions;

namespace {

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
    EXPECT_EQ(premierFlux(s).value("codec_name").toString(), "h264");
    EXPECT_EQ(premierFlux(s).value("pix_fmt").toString(), "yuv420p");
    EXPECT_EQ(premierFlux(s).value("time_base").toString(), "1/600");
    EXPECT_NEAR(duree(s), 0.95, 0.01);
    std::vector<double> temps;
    for (const auto& p : s.value("packets").toArray())
        temps.push_back(p.toObject().value("pts_time").toString().toDouble());
    std::sort(temps.begin(), temps.end());
    ASSERT_EQ(temps.size(), 4u);
    EXPECT_NEAR(temps[1] - temps[0], 0.5, 1e-6);
    EXPECT_NEAR(temps[2] - temps[1], 0.1, 1e-6);
    EXPECT_NEAR(temps[3] - temps[2], 0.1, 1e-6);
    EXPECT_EQ(releve.valeurs, (std::vector<double>{0.25, 0.5, 0.75, 1.0}));
}

// Sides become even and at least 2; a transparent GIF comes out on white.
TEST(GifEnVideo, lesCotesDeviennentPairsEtLaTransparenceBlanche)
{
    Dossier d;
    const struct { const char* nom; QSize cote; int transparent; QSize attendu; QColor couleur; } cas[] = {
        {"fil.gif", {641, 1}, -1, {640, 2}, Qt::red},
        {"point.gif", {1, 1}, -1, {2, 2}, Qt::red},
        {"vitre.gif", {32, 32}, 1, {32, 32}, Qt::white},
    };
    for (const auto& c : cas) {
        const int l = c.cote.width(), h = c.cote.height();
        const QString source = d.ecrire(c.nom, fabriquerGif(l, h, {cadreUni(l, h, 1, 10, c.transparent),
                                                                   cadreUni(l, h, 3, 10, c.transparent)}));
        const QString mp4 = convertirUn(source, "gifmp4").value(0);
        const QJsonObject f = flux(mp4, "video");
        EXPECT_EQ(QSize(f.value("width").toInt(), f.value("height").toInt()), c.attendu) << c.nom;
        const QString png = d.chemin(QStringLiteral("%1.png").arg(c.nom));
        ASSERT_TRUE(ffmpeg({"-i", mp4, "-frames:v", "1"}, png));
        const QColor o = QImage(png).pixelColor(0, 0);
        for (const auto& [a, b] : {std::pair{o.red(), c.couleur.red()}, {o.green(), c.couleur.green()}, {o.blue(), c.couleur.blue()}})
            EXPECT_NEAR(a, b, 40) << c.nom << " " << o.name().toStdString();
    }
}

TEST(GifEnVideo, uneSeuleImageOuUnFauxGifEstRefuseSansRienCreer)
{
    Dossier d;
    const QString seule = d.ecrire("seule.gif", fabriquerGif(8, 8, {cadreUni(8, 8, 1, 10)}));
    const QString faux = d.ecrire("faux.gif", QByteArray("GIF89a pas vraiment"));
    echoue(d, {seule, faux}, "gifmp4", {illisible("seule.gif"), illisible("faux.gif")});
}

} // namespace
