// A lighter copy is always written: a picture that is already small keeps its size and is
// only re-encoded, even when that does not make it smaller. A PNG copy takes a palette when
// that is smaller; a grey picture gives a one-band JPEG.

#include "conversions/images/images_fabrique.h"
#include "conversions/media/gif_fabrique.h"

#include <QPainter>
#include <QTemporaryDir>

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

qint64 taille(const QString& fichier) { return QFileInfo(fichier).size(); }

TEST(Legere, UnWebPTransparentDonneUnPngAPalette)
{
    Dossier d;
    const QString png = ecrire(d, "modele.png", disque(800, 600));
    const QString webp = d.chemin("logo.webp");
    sortieDe("vips", {"webpsave", png, webp, "--Q", "80"});
    QFile::remove(png);
    const QString leger = convertirSeul(webp, "leger");
    EXPECT_EQ(leger, d.chemin("logo (légère).png"));
    EXPECT_EQ(tailleImage(leger), QSize(800, 600));
    EXPECT_EQ(sortieDe("identify", {"-format", "%[type]", leger}), "PaletteAlpha");
    // Smaller than libvips' own lossless PNG of the same picture.
    QTemporaryDir ailleurs;
    const QString sansPerte = ailleurs.filePath("sans-perte.png");
    sortieDe("vips", {"pngsave", webp, sansPerte, "--strip"});
    EXPECT_LT(taille(leger), taille(sansPerte) / 2);
    const QImage relue = decoder(leger);
    EXPECT_EQ(qAlpha(relue.pixel(5, 5)), 0);
    const QColor centre = relue.pixelColor(400, 300);
    EXPECT_EQ(centre.alpha(), 255);
    EXPECT_NEAR(centre.red(), 240, 12);
    EXPECT_NEAR(centre.green(), 120, 12);
}

// Lines of black text on white, as a scanner gives them.
QImage page(int largeur, int hauteur)
{
    QImage image(largeur, hauteur, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    QFont police;
    police.setPixelSize(hauteur / 80);
    p.setFont(police);
    for (int y = hauteur / 20; y < hauteur - hauteur / 20; y += hauteur / 50)
        p.drawText(largeur / 12, y, QStringLiteral("Ligne %1 : le scanner lit la page, noir sur blanc.").arg(y));
    return image;
}

TEST(Legere, UnScanNoirEtBlancDonneUnJpegGris)
{
    Dossier d;
    // One bit per pixel, and the same page stored as RGB.
    const QString unBit = ecrire(d, "scan.png", page(2480, 3508).convertToFormat(QImage::Format_Mono, Qt::ThresholdDither));
    const QString rvb = ecrire(d, "scan-rvb.png", page(1240, 1754));
    for (const QString& source : {unBit, rvb}) {
        SCOPED_TRACE(source.toStdString());
        const QString leger = convertirSeul(source, "leger");
        EXPECT_EQ(QFileInfo(leger).suffix(), "jpg");
        EXPECT_EQ(champVips(leger, "bands"), "1");
        EXPECT_EQ(sortieDe("identify", {"-format", "%[colorspace]", leger}), "Gray");
        const QSize attendue = source == unBit ? QSize(1357, 1920) : QSize(1240, 1754);
        EXPECT_EQ(tailleImage(leger), attendue);
        // Lighter than the same picture in a colour JPEG of the same quality.
        QTemporaryDir ailleurs;
        const QString couleur = ailleurs.filePath("couleur.jpg");
        sortieDe("vips", {"colourspace", leger, ailleurs.filePath("rvb.v"), "srgb"});
        sortieDe("vips", {"jpegsave", ailleurs.filePath("rvb.v"), couleur, "--Q", "75", "--strip"});
        EXPECT_LT(taille(leger), taille(couleur));
    }
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
