// A lighter copy is always written: a picture that is already small keeps its size and is
// only re-encoded, even when that does not make it smaller.

#include "conversions/images/images_fabrique.h"

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

} // namespace
