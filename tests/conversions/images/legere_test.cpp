// A lighter copy is always written: a picture that is already small keeps its size and is
// only re-encoded, even when that does not make it smaller.

#include "conversions/images/images_fabrique.h"
#include "conversions/media/gif_fabrique.h"

using namespace essais;

namespace {

TEST(Legere, UneImageDejaLegereEstQuandMemeReencodee)
{
    Dossier d;
    // Small and already strongly compressed by libvips: re-encoding at quality 75 only adds bytes.
    const QString png = ecrire(d, "modele.png", texture(320, 200, 5));
    const QString jpg = d.chemin("vignette.jpg");
    sortieDe("vips", {"jpegsave", png, jpg, "--Q", "30", "--optimize-coding", "--strip"});
    QFile::remove(png);
    const QString leger = convertirSeul(jpg, "leger");
    EXPECT_EQ(leger, d.chemin("vignette (légère).jpg"));
    EXPECT_EQ(tailleImage(leger), QSize(320, 200));
    EXPECT_EQ(champVips(leger, "vips-loader"), "jpegload");
}

TEST(Legere, UnPngTransparentResteUnPngASaTaille)
{
    Dossier d;
    const QString logo = ecrire(d, "logo.png", disque(800, 600));
    const QString leger = convertirSeul(logo, "leger");
    EXPECT_EQ(leger, d.chemin("logo (légère).png"));
    EXPECT_EQ(tailleImage(leger), QSize(800, 600));
    const QImage relue = decoder(leger);
    EXPECT_EQ(qAlpha(relue.pixel(5, 5)), 0);
    EXPECT_EQ(qAlpha(relue.pixel(400, 300)), 255);
    // A second one takes the next free name.
    EXPECT_EQ(convertirSeul(logo, "leger"), d.chemin("logo (légère) 2.png"));
}

// Frame count and each frame's duration in hundredths of a second, as ffprobe reads them.
QList<int> delaisDesImages(const QString& gif)
{
    QList<int> delais;
    const QString sortie = sortieDe("ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_entries",
                                                "frame=pkt_duration_time", "-of", "csv=p=0", gif});
    for (const QString& ligne : sortie.split('\n', Qt::SkipEmptyParts))
        delais << qRound(ligne.toDouble() * 100);
    return delais;
}

TEST(Legere, UnGifAnimeResteAnimeAvecSesDelais)
{
    Dossier d;
    // Four frames of 2000 × 1000 pixels, each shown for its own time.
    QStringList arguments;
    const QList<int> delais{10, 50, 120, 30};
    for (int i = 0; i < delais.size(); ++i) {
        const QString image = ecrire(d, QStringLiteral("i%1.png").arg(i), texture(2000, 1000, 11 + i));
        arguments << "-delay" << QString::number(delais[i]) << image;
    }
    const QString source = d.chemin("anime.gif");
    sortieDe("convert", arguments << "-colors" << "64" << source);
    for (int i = 0; i < delais.size(); ++i)
        QFile::remove(d.chemin(QStringLiteral("i%1.png").arg(i)));
    ASSERT_EQ(delaisDesImages(source), delais);

    const QString leger = convertirSeul(source, "leger");
    EXPECT_EQ(leger, d.chemin("anime (légère).gif"));
    EXPECT_EQ(champVips(leger, "vips-loader"), "gifload");
    EXPECT_EQ(tailleImage(leger), QSize(1920, 960));
    EXPECT_EQ(delaisDesImages(leger), delais);
    // Each frame is still its own picture, not the first one repeated.
    const QString trames = sortieDe("ffmpeg", {"-v", "error", "-i", leger, "-f", "framemd5", "-"});
    QSet<QString> empreintes;
    for (const QString& ligne : trames.split('\n', Qt::SkipEmptyParts))
        if (!ligne.startsWith('#'))
            empreintes << ligne.section(',', -1).trimmed();
    EXPECT_EQ(empreintes.size(), 4);
}

// A small animation may come out no lighter: it is written all the same, every frame kept.
TEST(Legere, UnPetitGifAnimeEstQuandMemeEcrit)
{
    Dossier d;
    const QString source = d.ecrire("petit.gif", fabriquerGif(40, 30, {{1, 7}, {2, 23}, {3, 50}}));
    const QString leger = convertirSeul(source, "leger");
    EXPECT_EQ(leger, d.chemin("petit (légère).gif"));
    EXPECT_EQ(tailleImage(leger), QSize(40, 30));
    EXPECT_EQ(delaisDesImages(leger), QList<int>({7, 23, 50}));
    // A still GIF is a still picture: its lighter copy is a PNG or a JPEG as for any other.
    const QString fixe = d.ecrire("fixe.gif", fabriquerGif(40, 30, {{2, -1}}));
    EXPECT_EQ(convertirSeul(fixe, "leger"), d.chemin("fixe (légère).jpg"));
}

} // namespace
