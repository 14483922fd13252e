// Animated GIFs to MP4 and videos to animated GIFs, read back with ffprobe and ffmpeg.

#include "conversions/borne_memoire.h"
#include "conversions/media/Gif.h"
#include "conversions/media/gif_fabrique.h"
#include "conversions/media_outils.h"

using namespace Conversions;

// Frame `n` of a file as ffmpeg decodes it (upright, by its own rules).
static QImage image(const Dossier& d, const QString& chemin, int n = 0)
{
    const QString png = d.chemin(QStringLiteral("image%1.png").arg(n));
    QFile::remove(png);
    if (!ffmpeg({"-i", chemin, "-vf", QStringLiteral("select='eq(n,%1)'").arg(n), "-frames:v", "1"}, png))
        return {};
    return QImage(png);
}

TEST(Gif, douzeParSecondeAuPlusEtTroisCentsImagesEnTout)
{
    const struct { const char* duree; int images; double dureeGif; } cas[] = {
        {"0.5", 6, 0.5}, {"60", 300, 60.0}, {"0.05", 1, 0.05}};
    for (const auto& c : cas) {
        SCOPED_TRACE(c.duree);
        Dossier d;
        const QString source = d.chemin("clip.mp4");
        ASSERT_TRUE(ffmpeg(QStringList{"-f", "lavfi", "-i", QStringLiteral("testsrc=r=30:s=160x120:d=%1").arg(c.duree)}
                               + x264, source));
        Releve releve;
        const QStringList crees = convertirUn(source, "gif", releve.rappel());
        ASSERT_EQ(crees, QStringList{d.chemin("clip.gif")});
        const QJsonObject s = sonde(crees[0], {"-count_frames"}), f = premierFlux(s);
        EXPECT_EQ(f.value("codec_name").toString(), "gif");
        EXPECT_EQ(f.value("nb_read_frames").toString().toInt(), c.images);
        EXPECT_EQ(f.value("width").toInt(), 160);
        EXPECT_NEAR(duree(s), c.dureeGif, 0.05);
        EXPECT_TRUE(releve.enOrdre());
        // It loops forever: the application extension with a count of 0.
        EXPECT_TRUE(lire(crees[0]).contains(QByteArray("NETSCAPE2.0\x03\x01\x00\x00", 16)));
    }
}

TEST(Gif, laRotationDAffichageEstAppliqueeEtLImageTientDans480)
{
    Dossier d;
    // Red on the left, blue on the right, shown turned a quarter clockwise.
    const QString droit = d.chemin("droit.mp4");
    const QString source = d.chemin("tourne.mp4");
    ASSERT_TRUE(ffmpeg(QStringList{"-f", "lavfi", "-i", "color=red:s=640x360:d=1", "-f", "lavfi", "-i",
                                   "color=blue:s=640x360:d=1", "-filter_complex", "[0][1]hstack"} + x264, droit));
    // The muxer writes the display matrix only on a stream copy.
    ASSERT_TRUE(ffmpeg({"-i", droit, "-c", "copy", "-metadata:s:v:0", "rotate=90"}, source));
    const QImage attendu = image(d, source);
    const QImage obtenu = image(d, gif(source, d.racine(), "tourne", {}));
    ASSERT_EQ(attendu.size(), QSize(360, 1280));
    ASSERT_EQ(obtenu.size(), QSize(135, 480));
    for (const double y : {0.2, 0.8}) {
        const QColor a = attendu.pixelColor(180, int(y * 1280));
        const QColor o = obtenu.pixelColor(67, int(y * 480));
        EXPECT_NEAR(a.red(), o.red(), 40) << y;
        EXPECT_NEAR(a.blue(), o.blue(), 40) << y;
    }
}

TEST(Gif, lesVideosIllisiblesOuInecrivablesEchouentSansRienLaisser)
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
    // The index stays whole, every picture is garbage.
    const QString abime = d.chemin("abime.mp4");
    ASSERT_TRUE(ffmpeg(QStringList{"-f", "lavfi", "-i", "testsrc=r=10:s=64x48:d=1", "-movflags", "+faststart"} + x264,
                       abime));
    QByteArray octets = lire(abime);
    const qsizetype debut = octets.indexOf("mdat") + 4;
    ASSERT_GT(debut, 4);
    d.ecrire("abime.mp4", octets.left(debut) + QByteArray(octets.size() - debut, '\xff'));
    // Far more frames than the ring holds at once, on a disk that fills up.
    const QString longue = d.chemin("long.mp4");
    ASSERT_TRUE(ffmpeg(QStringList{"-f", "lavfi", "-i", "testsrc=r=10:s=160x120:d=30"} + x264, longue));

    echoue(d, {faux, son, vide, brut, abime}, "gif",
           {illisible("clip.mov"), QString::fromUtf8("« son.mov » n’a pas d’image"), illisible("vide.mp4"),
            illisible("brut.mp4"), illisible("abime.mp4")});
    DisquePlein plein(100000);
    echoue(d, {longue}, "gif", {sansPlace("long.mp4")});
}

TEST(Gif, entreDeuxImagesTropEspaceesLaPrecedenteEstRepetee)
{
    Dossier d;
    const QString source = d.chemin("lent.mp4");
    // Two frames a second sampled twelve times a second: most times find no frame near.
    ASSERT_TRUE(ffmpeg(QStringList{"-f", "lavfi", "-i", "testsrc=r=2:s=64x48:d=2"} + x264, source));
    // The name is taken: the next one is used and nothing is overwritten.
    d.ecrire("lent.gif", "garde-moi");
    const QString sortie = gif(source, d.racine(), "lent", {});
    EXPECT_EQ(sortie, d.chemin("lent 2.gif"));
    EXPECT_EQ(lire(d.chemin("lent.gif")), "garde-moi");
    EXPECT_NEAR(duree(sonde(sortie)), 2.0, 0.0101);  // 24 frames of 1 / 12 s: the video's length
    // Each repeated run shows the same picture: the second and the third frames match.
    const QImage b = image(d, sortie, 1);
    EXPECT_FALSE(b.isNull());
    EXPECT_EQ(b, image(d, sortie, 2));
}

TEST(GifEnVideo, lesDelaisDonnentLesTempsEtLaDureeALEchelle600)
{
    Dossier d;
    // 0.5 s, 0.01 s (too short: 0.1 s), none at all (0.1 s), 0.25 s.
    const QString source = d.ecrire("anim.gif", fabriquerGif(20, 10, {{1, 50}, {2, 1}, {3}, {0, 25}}));
    Releve releve;
    const QStringList crees = convertirUn(source, "gifmp4", releve.rappel());
    ASSERT_EQ(crees, QStringList{d.chemin("anim.mp4")});
    const QJsonObject s = sonde(crees[0], {"-show_packets"}), f = premierFlux(s);
    EXPECT_EQ(f.value("codec_name").toString() + " " + f.value("pix_fmt").toString(), "h264 yuv420p");
    EXPECT_EQ(f.value("time_base").toString(), "1/600");
    EXPECT_NEAR(duree(s), 0.95, 0.01);
    std::vector<double> temps;
    for (const auto& p : s.value("packets").toArray())
        temps.push_back(p.toObject().value("pts_time").toString().toDouble());
    std::sort(temps.begin(), temps.end());
    ASSERT_EQ(temps.size(), 4u);
    EXPECT_NEAR(temps[1] - temps[0], 0.5, 1e-6);
    EXPECT_NEAR(temps[2] - temps[1], 0.1, 1e-6);
    EXPECT_NEAR(temps[3] - temps[2], 0.1, 1e-6);
    EXPECT_TRUE(releve.enOrdre());
    EXPECT_EQ(releve.valeurs.back(), 1.0);
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
        const QString source = d.ecrire(
            c.nom, fabriquerGif(c.cote.width(), c.cote.height(), {{1, 10, c.transparent}, {3, 10, c.transparent}}));
        const QString mp4 = convertirUn(source, "gifmp4").value(0);
        const QImage premiere = image(d, mp4);
        EXPECT_EQ(premiere.size(), c.attendu) << c.nom;
        const QColor o = premiere.pixelColor(0, 0);
        for (const auto& [a, b] : {std::pair{o.red(), c.couleur.red()}, {o.green(), c.couleur.green()}, {o.blue(), c.couleur.blue()}})
            EXPECT_NEAR(a, b, 40) << c.nom << " " << o.name().toStdString();
    }
}

TEST(GifEnVideo, uneSeuleImageOuUnFauxGifEstRefuseSansRienCreer)
{
    Dossier d;
    const QString seule = d.ecrire("seule.gif", fabriquerGif(8, 8, {{1, 10}}));
    const QString faux = d.ecrire("faux.gif", QByteArray("GIF89a pas vraiment"));
    echoue(d, {seule, faux}, "gifmp4", {illisible("seule.gif"), illisible("faux.gif")});
}

// Frames of 4000 × 4000 pixels: the encoder holds only a few, fewer still when memory is
// short, and when even those do not fit the GIF is refused at once by name; a small GIF
// still goes.
TEST(GifEnVideo, desImagesGeantesQuiNeTiennentPasSontRefusees)
{
    Dossier d;
    const QString geant = d.chemin("geant.gif");
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "color=c=red:s=4000x4000:r=10:d=0.3,format=rgb8", "-pix_fmt", "rgb8"}, geant));
    const QString petit = d.ecrire("petit.gif", fabriquerGif(64, 48, {{1, 10}, {3, 10}}));
    {
        const Borne borne(600LL << 20);
        echoue(d, {geant}, "gifmp4", {QString::fromUtf8("« geant.gif » est trop grand")});
        EXPECT_EQ(convertirUn(petit, "gifmp4"), QStringList{d.chemin("petit.mp4")});
    }
    QStringList crees;
    {
        const Borne borne(1100LL << 20);  // room for the encoder's leanest run only
        crees = convertirUn(geant, "gifmp4");
    }
    ASSERT_EQ(crees, QStringList{d.chemin("geant.mp4")});
    EXPECT_EQ(image(d, crees[0], 2).size(), QSize(4000, 4000));
}

// libvips reads at most 4 097 images of a GIF: one of 4 097 goes whole into the video, one of
// 5 000 is refused rather than cut short to what was read.
TEST(GifEnVideo, toutesLesImagesOuUnRefus)
{
    Dossier d;
    QList<CadreGif> cadres;
    for (int i = 0; i < 5000; ++i)
        cadres.append({static_cast<uint8_t>(1 + i % 3), 2});
    const QString entier = d.ecrire("entier.gif", fabriquerGif(8, 8, cadres.mid(0, 4097)));
    const QString long_ = d.ecrire("long.gif", fabriquerGif(8, 8, cadres));
    EXPECT_NEAR(duree(sonde(convertirSeul(entier, "gifmp4"))), 4097 * 0.02, 0.05);
    echoue(d, {long_}, "gifmp4", {QString::fromUtf8("« long.gif » a trop d’images pour être lu en entier")});
}
