// Format conversion and lighter copy, driven through the dispatcher and checked with
// libvips' and libheif's command-line readers.

#include "images_echantillons.h"

#include "conversions/Conversions.h"
#include "conversions/Images.h"

#include <QCryptographicHash>
#include <QFile>
#include <QPainter>
#include <gtest/gtest.h>

using namespace Conversions;
using namespace echantillons;

namespace {

QImage logo(int w, int h)
{
    QImage i(w, h, QImage::Format_ARGB32);
    i.fill(Qt::transparent);
    QPainter p(&i);
    p.setBrush(QColor(240, 120, 20));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QRect(w / 4, h / 4, w / 2, h / 2));
    return i;
}

QImage photo(int w, int h)
{
    QImage i(w, h, QImage::Format_RGB32);
    QPainter p(&i);
    QLinearGradient g(0, 0, w, h);
    g.setColorAt(0, QColor(30, 60, 200));
    g.setColorAt(1, QColor(230, 200, 40));
    p.fillRect(i.rect(), g);
    p.fillRect(QRect(0, 0, w / 3, h / 5), QColor(200, 20, 20));  // marks the top-left corner
    return i;
}

QByteArray empreinte(const QString& chemin)
{
    QFile f(chemin);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

QString unSeul(const Resultat& r)
{
    EXPECT_TRUE(r.erreurs.isEmpty()) << r.erreurs.join(" | ").toStdString();
    EXPECT_EQ(r.crees.size(), 1);
    return r.crees.value(0);
}

QString echecUnique(const Resultat& r)
{
    EXPECT_TRUE(r.crees.isEmpty());
    EXPECT_EQ(r.erreurs.size(), 1);
    return r.erreurs.value(0);
}

} // namespace

TEST(ImagesFormats, TransparenceSurBlancPourJpegGardeePourPngEtHeic)
{
    Dossier d;
    const QString source = ecrire(d, "logo.png", logo(80, 60));
    const QByteArray avant = empreinte(source);

    const QString jpg = unSeul(convertir({source}, "jpg", {}));
    EXPECT_EQ(jpg, d.chemin("logo.jpg"));
    EXPECT_EQ(champ(jpg, "bands"), "3");
    const QImage plat = QImage(jpg);
    EXPECT_GT(qRed(plat.pixel(2, 2)), 245);
    EXPECT_GT(qBlue(plat.pixel(2, 2)), 245);   // white, not black, where it was transparent
    EXPECT_LT(qBlue(plat.pixel(40, 30)), 80);  // the disc is still orange

    const QString png = unSeul(convertir({source}, "png", {}));
    EXPECT_EQ(champ(png, "bands"), "4");
    EXPECT_EQ(qAlpha(QImage(png).pixel(2, 2)), 0);

    const QString heic = unSeul(convertir({source}, "heic", {}));
    EXPECT_EQ(heic, d.chemin("logo.heic"));
    EXPECT_TRUE(sortieDe("heif-info", {heic}).contains("alpha channel: yes"));
    EXPECT_EQ(champ(heic, "bands"), "4");
    const QImage relue = decoder(heic);
    EXPECT_LT(qAlpha(relue.pixel(2, 2)), 10);
    EXPECT_GT(qAlpha(relue.pixel(40, 30)), 245);

    EXPECT_EQ(empreinte(source), avant);
    EXPECT_EQ(d.noms(), QStringList({"logo 2.png", "logo.heic", "logo.jpg", "logo.png"}));
}

TEST(ImagesFormats, LaSourceNEstJamaisEcraseeEtLesNomsSeSuivent)
{
    Dossier d;
    const QString source = ecrire(d, "photo.jpg", photo(64, 48));
    const QByteArray avant = empreinte(source);
    EXPECT_EQ(unSeul(convertir({source}, "jpg", {})), d.chemin("photo 2.jpg"));
    EXPECT_EQ(unSeul(convertir({source}, "jpg", {})), d.chemin("photo 3.jpg"));
    EXPECT_EQ(empreinte(source), avant);
    EXPECT_EQ(champ(d.chemin("photo 2.jpg"), "width"), "64");
}

// The stored pixels stay as they are and the orientation travels as metadata,
// except for WebP which carries none: there the pixels are turned.
TEST(ImagesFormats, OrientationEnMetadonneeSaufPourWebP)
{
    Dossier d;
    const QString source = jpegOriente(d, "portrait.jpg", photo(60, 40), 6);
    ASSERT_EQ(champ(source, "orientation"), "6");
    // HEIC stores the pixels as they are with a display rotation (counter-clockwise)
    // that readers apply: shown upright, red corner top-right.
    const QString heic = unSeul(convertir({source}, "heic", {}));
    EXPECT_TRUE(sortieDe("heif-info", {"-d", heic}).contains("rotation: 270 degrees"));
    EXPECT_EQ(champ(heic, "width"), "40");
    const QImage affichee = decoder(heic);
    EXPECT_LT(qGreen(affichee.pixel(37, 2)), 45);
    EXPECT_GT(qGreen(affichee.pixel(2, 2)), 55);
    for (const char* id : {"png", "tiff", "jpg"}) {
        SCOPED_TRACE(id);
        const QString sortie = unSeul(convertir({source}, id, {}));
        EXPECT_EQ(champ(sortie, "width"), "60");
        EXPECT_EQ(champ(sortie, "height"), "40");
        EXPECT_EQ(champ(sortie, "orientation"), "6");
    }
    const QString webp = unSeul(convertir({source}, "webp", {}));
    EXPECT_TRUE(sortieDe("webpinfo", {webp}).contains("Width: 40"));
    EXPECT_TRUE(sortieDe("webpinfo", {webp}).contains("Height: 60"));
    // Orientation 6 turns clockwise: the red top-left corner lands top-right.
    const QImage tournee = decoder(webp);
    EXPECT_LT(qGreen(tournee.pixel(37, 2)), 45);
    EXPECT_GT(qGreen(tournee.pixel(2, 2)), 55);
}

TEST(ImagesFormats, ChaqueTypeAnnonceSEcritVraiment)
{
    Dossier d;
    const QString source = ecrire(d, "photo.png", photo(50, 30));
    const QHash<QString, QString> lecteurs = {
        {"jpg", "jpegload"}, {"png", "pngload"}, {"heic", "heifload"}, {"avif", "heifload"},
        {"tiff", "tiffload"}, {"webp", "webpload"}};
    for (auto it = lecteurs.begin(); it != lecteurs.end(); ++it) {
        SCOPED_TRACE(it.key().toStdString());
        const QString t = type(it.key());
        if (t.isEmpty() || !ecriture().contains(t))
            continue;
        const QString sortie = unSeul(convertir({source}, it.key(), {}));
        EXPECT_TRUE(sortie.endsWith("." + it.key()));
        EXPECT_EQ(champ(sortie, "vips-loader"), it.value());
        EXPECT_EQ(champ(sortie, "width"), "50");
    }
    EXPECT_TRUE(ecriture().contains("public.jpeg"));
    EXPECT_TRUE(ecriture().contains("public.heic"));
}

TEST(ImagesFormats, UnIdentifiantSansTypeEchoueSansLaisserDeFichier)
{
    Dossier d;
    const QString source = ecrire(d, "photo.png", photo(20, 20));
    EXPECT_EQ(echecUnique(convertir({source}, "bmp", {})), "Impossible d’écrire « photo.bmp »");
    EXPECT_EQ(d.noms(), QStringList({"photo.png"}));
}

TEST(ImagesFormats, CopieLegere)
{
    Dossier d;
    const QString grande = ecrire(d, "photo.jpg", photo(4000, 3000), 80);
    const QString legere = unSeul(convertir({grande}, "leger", {}));
    EXPECT_EQ(legere, d.chemin("photo (légère).jpg"));
    EXPECT_EQ(champ(legere, "width"), "1920");
    EXPECT_EQ(champ(legere, "height"), "1440");
    EXPECT_EQ(unSeul(convertir({grande}, "leger", {})), d.chemin("photo (légère) 2.jpg"));

    const QString petite = ecrire(d, "petite.jpg", photo(800, 600));
    const QString copie = unSeul(convertir({petite}, "leger", {}));
    EXPECT_EQ(champ(copie, "width"), "800");
    EXPECT_EQ(champ(copie, "height"), "600");
    EXPECT_LT(QFileInfo(copie).size(), QFileInfo(petite).size());  // re-encoded lighter

    const QString transparente = ecrire(d, "logo.png", logo(2400, 1200));
    const QString png = unSeul(convertir({transparente}, "leger", {}));
    EXPECT_EQ(png, d.chemin("logo (légère).png"));
    EXPECT_EQ(champ(png, "width"), "1920");
    EXPECT_EQ(champ(png, "height"), "960");
    EXPECT_EQ(qAlpha(QImage(png).pixel(5, 5)), 0);
}

TEST(ImagesFormats, CopieLegereTourneeEtSansMetadonnees)
{
    Dossier d;
    const QString source = jpegOriente(d, "portrait.jpg", photo(3000, 2000), 6);
    const QString legere = unSeul(convertir({source}, "leger", {}));
    EXPECT_EQ(champ(legere, "width"), "1280");
    EXPECT_EQ(champ(legere, "height"), "1920");
    QString tout;
    executer("vipsheader", {"-a", legere}, &tout);
    EXPECT_FALSE(tout.contains("exif-data"));
    EXPECT_FALSE(tout.contains("orientation"));
}

// The image the text recognition, the PDF writer and the tool windows take as it is.
TEST(ImagesFormats, RedresseeTourneeReduiteJamaisAgrandie)
{
    Dossier d;
    const QString source = jpegOriente(d, "portrait.jpg", photo(300, 200), 6);
    const QImage droite = redressee(source);
    EXPECT_EQ(droite.size(), QSize(200, 300));
    EXPECT_EQ(droite.format(), QImage::Format_RGBX8888);
    EXPECT_LT(qGreen(droite.pixel(190, 5)), 45);  // the red corner, turned top-right
    EXPECT_EQ(redressee(source, 150).size(), QSize(100, 150));
    EXPECT_EQ(redressee(source, 5000).size(), QSize(200, 300));

    const QImage transparente = redressee(ecrire(d, "logo.png", logo(80, 60)));
    EXPECT_EQ(transparente.format(), QImage::Format_RGBA8888);
    EXPECT_EQ(qAlpha(transparente.pixel(1, 1)), 0);
    EXPECT_EQ(qAlpha(transparente.pixel(40, 30)), 255);
}

TEST(ImagesFormats, AplatirSurBlanc)
{
    QImage image(4, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(0, 0, 0, 0));
    image.setPixel(1, 0, qRgba(255, 0, 0, 128));
    image.setPixel(2, 0, qRgba(10, 20, 30, 255));
    image.setPixel(3, 0, qRgba(0, 0, 255, 0));
    const QImage plat = aplatir(image);
    EXPECT_FALSE(plat.hasAlphaChannel());
    EXPECT_EQ(plat.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(qRed(plat.pixel(1, 0)), 255);
    EXPECT_NEAR(qGreen(plat.pixel(1, 0)), 127, 2);
    EXPECT_EQ(plat.pixel(2, 0), qRgb(10, 20, 30));
    EXPECT_EQ(plat.pixel(3, 0), qRgb(255, 255, 255));
    EXPECT_THROW(aplatir(QImage()), Erreur);
}
