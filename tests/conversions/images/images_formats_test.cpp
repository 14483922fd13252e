// Format conversion and lighter copy, driven through the dispatcher and checked with
// libvips' and libheif's command-line readers.

#include "conversions/images/images_fabrique.h"

#include "commun/Echantillons.h"
#include "conversions/images/Images.h"

using namespace Conversions;
using namespace essais;

namespace {

// A gradient with a red block marking the top-left corner.
QImage photo(int w, int h)
{
    QImage i(w, h, QImage::Format_RGB32);
    QPainter p(&i);
    QLinearGradient g(0, 0, w, h);
    g.setColorAt(0, QColor(30, 60, 200));
    g.setColorAt(1, QColor(230, 200, 40));
    p.fillRect(i.rect(), g);
    p.fillRect(QRect(0, 0, w / 3, h / 5), QColor(200, 20, 20));
    return i;
}

// The red corner sits top-right in an upright 40 × 60 picture.
void coinRougeEnHautADroite(const QImage& image)
{
    EXPECT_LT(qGreen(image.pixel(37, 2)), 45);
    EXPECT_GT(qGreen(image.pixel(2, 2)), 55);
}

} // namespace

TEST(ImagesFormats, TransparenceSurBlancPourJpegGardeePourPngEtHeic)
{
    Dossier d;
    const QString source = ecrire(d, "logo.png", disque(80, 60));
    const QByteArray avant = lire(source);

    const QString jpg = convertirSeul(source, "jpg");
    EXPECT_EQ(champVips(jpg, "bands"), "3");
    const QImage plat(jpg);
    EXPECT_GT(qRed(plat.pixel(2, 2)), 245);
    EXPECT_GT(qBlue(plat.pixel(2, 2)), 245);   // white, not black, where it was transparent
    EXPECT_LT(qBlue(plat.pixel(40, 30)), 80);  // the disc is still orange

    const QString png = convertirSeul(source, "png");
    EXPECT_EQ(champVips(png, "bands"), "4");
    EXPECT_EQ(qAlpha(QImage(png).pixel(2, 2)), 0);

    const QString heic = convertirSeul(source, "heic");
    EXPECT_TRUE(sortieDe("heif-info", {heic}).contains("alpha channel: yes"));
    const QImage relue = decoder(heic);
    EXPECT_LT(qAlpha(relue.pixel(2, 2)), 10);
    EXPECT_GT(qAlpha(relue.pixel(40, 30)), 245);

    // Same format as the source: a new name, the source untouched.
    EXPECT_EQ(lire(source), avant);
    EXPECT_EQ(d.noms(), QStringList({"logo 2.png", "logo.heic", "logo.jpg", "logo.png"}));
}

// Each format is really the one its name says. The stored pixels stay as they are and the
// orientation travels as metadata, except for WebP which carries none: there they are turned.
TEST(ImagesFormats, FormatsEtOrientation)
{
    Dossier d;
    const QString source = jpegOriente(d, "portrait.jpg", photo(60, 40), 6);
    ASSERT_EQ(champVips(source, "orientation"), "6");
    // HEIC keeps the pixels with a display rotation (counter-clockwise) that readers apply.
    const QString heic = convertirSeul(source, "heic");
    EXPECT_TRUE(sortieDe("heif-info", {"-d", heic}).contains("rotation: 270 degrees"));
    coinRougeEnHautADroite(decoder(heic));
    const QList<std::pair<QString, QString>> lecteurs{{"png", "pngload"}, {"tiff", "tiffload"}, {"jpg", "jpegload"}};
    for (const auto& [id, lecteur] : lecteurs) {
        SCOPED_TRACE(id.toStdString());
        const QString sortie = convertirSeul(source, id);
        EXPECT_EQ(sortie, d.chemin(id == "jpg" ? "portrait 2.jpg" : "portrait." + id));  // the source kept
        EXPECT_EQ(champVips(sortie, "vips-loader"), lecteur);
        EXPECT_EQ(tailleImage(sortie), QSize(60, 40));
        EXPECT_EQ(champVips(sortie, "orientation"), "6");
    }
    if (ecriture().contains(type("avif"))) {  // offered only where libheif can write AV1
        const QString avif = convertirSeul(source, "avif");
        EXPECT_EQ(champVips(avif, "heif-compression"), "av1");
        coinRougeEnHautADroite(decoder(avif));
    }
    const QString webp = convertirSeul(source, "webp");
    const QString info = sortieDe("webpinfo", {webp});
    EXPECT_TRUE(info.contains("Width: 40") && info.contains("Height: 60")) << info.toStdString();
    coinRougeEnHautADroite(decoder(webp));  // orientation 6 turns clockwise
}

// An id without a writer names the file it could not make, and leaves nothing.
TEST(ImagesFormats, UnIdentifiantSansTypeEchoueSansLaisserDeFichier)
{
    Dossier d;
    echoue(d, {ecrire(d, "photo.png", photo(20, 20)), Echantillons::pdf(d.chemin("report.pdf"), 2)}, "bmp",
           {inecrivable("photo.bmp"), inecrivable("report page 1.bmp")});
}

// Within 1920 pixels, upright, without metadata, lighter, transparency kept.
TEST(ImagesFormats, CopieLegere)
{
    struct Cas {
        QString nom;
        QImage image;
        int orientation;
        QSize attendue;
        QString sortie;
    };
    const QList<Cas> cas{{"photo.jpg", photo(2500, 1875), 1, {1920, 1440}, "photo (légère).jpg"},
                         {"petite.jpg", photo(800, 600), 1, {800, 600}, "petite (légère).jpg"},
                         {"portrait.jpg", photo(3000, 2000), 6, {1280, 1920}, "portrait (légère).jpg"},
                         {"logo.png", disque(2400, 1200), 1, {1920, 960}, "logo (légère).png"}};
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.nom.toStdString());
        Dossier d;
        const QString source = c.orientation > 1 ? jpegOriente(d, c.nom, c.image, c.orientation)
                                                 : ecrire(d, c.nom, c.image, 80);
        const QString legere = convertirSeul(source, "leger");
        EXPECT_EQ(legere, d.chemin(c.sortie));
        EXPECT_EQ(tailleImage(legere), c.attendue);
        EXPECT_LT(QFileInfo(legere).size(), QFileInfo(source).size());
        QString tout;
        executer("vipsheader", {"-a", legere}, &tout);
        EXPECT_FALSE(tout.contains("exif-data") || tout.contains("orientation")) << tout.toStdString();
        if (c.nom.endsWith(".png")) {
            EXPECT_EQ(qAlpha(QImage(legere).pixel(5, 5)), 0);
        }
    }
}

// The upright image the self-test takes, reduced within a size, never enlarged.
TEST(ImagesFormats, RedresseeReduiteJamaisAgrandie)
{
    Dossier d;
    const QString source = jpegOriente(d, "portrait.jpg", photo(300, 200), 6);
    EXPECT_EQ(redressee(source).size(), QSize(200, 300));
    EXPECT_EQ(redressee(source, 150).size(), QSize(100, 150));
    EXPECT_EQ(redressee(source, 5000).size(), QSize(200, 300));
}
