// Bad and unusual inputs: each gives a clear error or a correct output, never touches
// the source and leaves nothing behind.

#include "images_echantillons.h"

#include "conversions/Conversions.h"
#include "conversions/Images.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QFile>
#include <gtest/gtest.h>

using namespace Conversions;
using namespace echantillons;

namespace {

QByteArray contenu(const QString& chemin)
{
    QFile f(chemin);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
}

QByteArray jpegValide()
{
    QImage i(200, 150, QImage::Format_RGB32);
    i.fill(QColor(90, 140, 200));
    Dossier d;
    return contenu(ecrire(d, "x.jpg", i));
}

// Every petal of an image on `source` fails with the read error and leaves only the source.
void refuseePartout(const Dossier& d, const QString& source)
{
    const QByteArray avant = contenu(source);
    const QString nom = QFileInfo(source).fileName();
    for (const char* id : {"jpg", "png", "heic", "webp", "leger", "ocr", "detour"}) {
        SCOPED_TRACE(id);
        const Resultat r = convertir({source}, id, {});
        EXPECT_TRUE(r.crees.isEmpty());
        EXPECT_EQ(r.erreurs, QStringList({"Impossible de lire « " + nom + " »"}));
    }
    EXPECT_EQ(d.noms(), QStringList({nom}));
    EXPECT_EQ(contenu(source), avant);
}

} // namespace

TEST(ImagesEntrees, FichierVide)
{
    Dossier d;
    refuseePartout(d, d.ecrire("vide.jpg"));
}

TEST(ImagesEntrees, JpegTronque)
{
    Dossier d;
    const QByteArray jpeg = jpegValide();
    refuseePartout(d, d.ecrire("coupee.jpg", jpeg.left(jpeg.size() / 2)));
}

TEST(ImagesEntrees, ExtensionQuiMent)
{
    Dossier d;
    refuseePartout(d, d.ecrire("notes.png", "Ceci n’est pas une image.\n"));
}

// Formats whose loaders are not trusted are refused even under an image's extension,
// though libvips could read them.
TEST(ImagesEntrees, ChargeursNonSursBloques)
{
    Dossier d1;
    refuseePartout(d1, d1.ecrire("dessin.png", "<svg xmlns='http://www.w3.org/2000/svg' width='10' "
                                               "height='10'><rect width='10' height='10'/></svg>"));
    Dossier d2;
    const QString ppm = d2.ecrire("brut.jpg", QByteArray("P6\n4 4\n255\n") + QByteArray(48, '\x7f'));
    EXPECT_EQ(sortieDe("vipsheader", {"-f", "width", ppm}).trimmed(), "4");
    refuseePartout(d2, ppm);
}

TEST(ImagesEntrees, BombeDeDecompression)
{
    Dossier d;
    const QString bombe = pngGeant(d, "bombe.png", 20000, 20000);
    refuseePartout(d, bombe);
    EXPECT_THROW(redressee(bombe, 100), Erreur);
}

TEST(ImagesEntrees, ImageDeTailleRaisonnableAcceptee)
{
    Dossier d;
    // Same hand-made writer, a size under the limit: the refusal above is the size's.
    const QString png = pngGeant(d, "grise.png", 64, 64);
    const QImage image = redressee(png);
    EXPECT_EQ(image.size(), QSize(64, 64));
    EXPECT_EQ(qRed(image.pixel(10, 10)), 0);
}

TEST(ImagesEntrees, CmjnSeizeBitsEtGris)
{
    Dossier d;
    const QString cmjn = d.chemin("cmjn.jpg");
    sortieDe("convert", {"-size", "64x48", "xc:rgb(200,30,30)", "-colorspace", "CMYK", cmjn});
    const QString seize = d.chemin("seize.png");
    sortieDe("convert", {"-size", "64x48", "gradient:white-black", "-depth", "16", seize});
    QImage gris(64, 48, QImage::Format_Grayscale8);
    gris.fill(128);
    const QString g = ecrire(d, "gris.jpg", gris);

    for (const QString& source : {cmjn, seize, g}) {
        for (const char* id : {"jpg", "png", "heic", "webp", "leger"}) {
            SCOPED_TRACE(QFileInfo(source).fileName().toStdString() + " → " + id);
            const Resultat r = convertir({source}, id, {});
            ASSERT_EQ(r.erreurs, QStringList());
            ASSERT_EQ(r.crees.size(), 1);
            EXPECT_EQ(champ(r.crees[0], "width"), "64");
            const QImage relue = decoder(r.crees[0]);
            ASSERT_FALSE(relue.isNull());
            if (source == cmjn) {  // still red once in RGB
                EXPECT_GT(qRed(relue.pixel(30, 20)), 150);
                EXPECT_LT(qGreen(relue.pixel(30, 20)), 90);
            }
        }
    }
    EXPECT_TRUE(champ(d.chemin("seize.jpg"), "format").contains("UCHAR"));
    EXPECT_TRUE(champ(d.chemin("seize.heic"), "format").contains("UCHAR"));
}

TEST(ImagesEntrees, WebPAnimeDonneSaPremiereImage)
{
    Dossier d;
    QImage rouge(40, 30, QImage::Format_RGB32);
    rouge.fill(Qt::red);
    QImage bleu = rouge;
    bleu.fill(Qt::blue);
    const QString a = ecrire(d, "a.png", rouge);
    const QString b = ecrire(d, "b.png", bleu);
    const QString anime = d.chemin("anime.webp");
    sortieDe("img2webp", {"-lossy", a, "-d", "100", b, "-o", anime});
    ASSERT_EQ(champ(anime, "n-pages"), "2");
    const Resultat r = convertir({anime}, "png", {});
    ASSERT_EQ(r.crees.size(), 1);
    EXPECT_EQ(champ(r.crees[0], "height"), "30");
    const QImage premiere(r.crees[0]);
    EXPECT_GT(qRed(premiere.pixel(20, 15)), 200);
    EXPECT_LT(qBlue(premiere.pixel(20, 15)), 60);
}
