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

// An animated GIF's lighter copy is its first image, reduced like any picture: JPEG when
// opaque, PNG when that image has transparency.
TEST(Legere, UnGifAnimeDonneSaPremiereImage)
{
    Dossier d;
    const QString anime = d.ecrire("anime.gif", fabriquerGif(2400, 1200, {{1, 10}, {2, 50}, {3, 30}}));
    const QString leger = convertirSeul(anime, "leger");
    EXPECT_EQ(leger, d.chemin("anime (légère).jpg"));
    EXPECT_EQ(champVips(leger, "vips-loader"), "jpegload");
    EXPECT_EQ(tailleImage(leger), QSize(1920, 960));
    const QColor rouge = decoder(leger).pixelColor(960, 480);  // the first image is red
    EXPECT_GT(rouge.red(), 240);
    EXPECT_LT(rouge.green(), 15);
    EXPECT_LT(rouge.blue(), 15);

    // First image transparent, the next ones opaque.
    const QString voile = d.ecrire("voile.gif", fabriquerGif(40, 30, {{1, 7, 1}, {2, 23}, {3, 50}}));
    const QString png = convertirSeul(voile, "leger");
    EXPECT_EQ(png, d.chemin("voile (légère).png"));
    EXPECT_EQ(tailleImage(png), QSize(40, 30));
    EXPECT_EQ(qAlpha(decoder(png).pixel(20, 15)), 0);

    // A still GIF is a still picture as well.
    const QString fixe = d.ecrire("fixe.gif", fabriquerGif(40, 30, {{2, -1}}));
    EXPECT_EQ(convertirSeul(fixe, "leger"), d.chemin("fixe (légère).jpg"));
}

} // namespace
