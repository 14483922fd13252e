#include "conversions/Conversions.h"
#include "conversions/Pdf.h"

#include "commun/Dossier.h"
#include "pdf_outils.h"

#include <QBuffer>
#include <QFile>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace PdfOutils;

namespace {

QByteArray octets(const QString& chemin)
{
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Four coloured quarters and a random band: any turn, mirror or loss shows.
QImage motif(int w, int h, bool alpha = false)
{
    QImage image(w, h, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.fillRect(0, 0, w / 2, h / 2, QColor(230, 30, 30));
    p.fillRect(w / 2, 0, w - w / 2, h / 2, QColor(30, 200, 40));
    p.fillRect(0, h / 2, w / 2, h - h / 2, QColor(30, 40, 220));
    p.end();
    QRandomGenerator aleas(7);
    for (int x = 0; x < w; ++x)
        image.setPixel(x, h - 1, 0xFF000000u | aleas.bounded(0x1000000u));
    if (alpha)
        for (int y = 0; y < h; ++y)
            for (int x = w / 2; x < w; ++x)
                image.setPixelColor(x, y, y < h / 2 ? QColor(0, 0, 0, 0) : QColor(250, 200, 0, 255));
    return image;
}

// A JPEG from Qt's writer with an EXIF orientation slipped in after its start marker.
QByteArray jpegOriente(const QImage& image, int orientation)
{
    QByteArray jpeg;
    QBuffer tampon(&jpeg);
    tampon.open(QIODevice::WriteOnly);
    image.save(&tampon, "JPEG", 95);
    QByteArray exif("\xFF\xE1\x00\x22" "Exif\0\0" "MM\x00\x2A\x00\x00\x00\x08" "\x00\x01"
                    "\x01\x12\x00\x03\x00\x00\x00\x01\x00\x00\x00\x00" "\x00\x00\x00\x00", 36);
    exif[29] = static_cast<char>(orientation);
    return jpeg.left(2) + exif + jpeg.mid(2);
}

// The largest difference of a channel.
int ecart(const QImage& a, const QImage& b)
{
    int pire = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QColor p = a.pixelColor(x, y);
            const QColor q = b.pixelColor(x, y);
            pire = std::max({pire, std::abs(p.red() - q.red()), std::abs(p.green() - q.green()),
                             std::abs(p.blue() - q.blue())});
        }
    return pire;
}

TEST(PdfImages, UnPngSansPerteAUnPointParPixel)
{
    Dossier d;
    const QImage source = motif(50, 40);
    const QString png = d.chemin(QStringLiteral("photo.png"));
    ASSERT_TRUE(source.save(png));
    const QStringList crees = Conversions::convertirUn(png, QStringLiteral("pdf"));
    ASSERT_EQ(crees, QStringList{d.chemin(QStringLiteral("photo.pdf"))});
    EXPECT_TRUE(intact(crees[0]));
    EXPECT_EQ(pages(crees[0]), 1);
    EXPECT_EQ(taillePage(crees[0], 1), QSizeF(50, 40));
    // The image as poppler takes it out of the file, pixel for pixel.
    QTemporaryDir sortie;
    executer(QStringLiteral("pdfimages"), {QStringLiteral("-png"), crees[0], sortie.filePath(QStringLiteral("i"))});
    const QImage extraite = QImage(sortie.filePath(QStringLiteral("i-000.png"))).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(extraite.size(), source.size());
    EXPECT_EQ(ecart(extraite, source.convertToFormat(QImage::Format_RGB32)), 0);
}

TEST(PdfImages, UnJpegGardeSesOctets)
{
    Dossier d;
    const QString jpg = d.ecrire(QStringLiteral("photo.jpg"), jpegOriente(motif(64, 48), 1));
    const QStringList crees = Conversions::convertirUn(jpg, QStringLiteral("pdf"));
    ASSERT_EQ(crees.size(), 1);
    EXPECT_TRUE(intact(crees[0]));
    EXPECT_TRUE(octets(crees[0]).contains(octets(jpg)));
    EXPECT_EQ(taillePage(crees[0], 1), QSizeF(64, 48));
}

// The colour profile a JPEG carries comes along for the PDF reader.
TEST(PdfImages, UnJpegGardeSonProfil)
{
    Dossier d;
    const QString png = d.chemin(QStringLiteral("source.png"));
    ASSERT_TRUE(motif(40, 30).save(png));
    const QString jpg = d.chemin(QStringLiteral("profil.jpg"));
    ASSERT_EQ(executer(QStringLiteral("vips"), {QStringLiteral("jpegsave"), png, jpg, QStringLiteral("--profile"),
                                                QStringLiteral("srgb")}), 0);
    const QStringList crees = Conversions::convertirUn(jpg, QStringLiteral("pdf"));
    ASSERT_EQ(crees.size(), 1);
    EXPECT_TRUE(intact(crees[0]));
    EXPECT_TRUE(octets(crees[0]).contains(octets(jpg)));
    QString liste;
    executer(QStringLiteral("pdfimages"), {QStringLiteral("-list"), crees[0]}, &liste);
    EXPECT_TRUE(liste.contains(QLatin1String(" icc "))) << liste.toStdString();
}

// Each EXIF orientation turns the page, not the pixels: the page must look like the
// photo turned upright by libvips' own command line.
TEST(PdfImages, LOrientationTourneLaPageSansReencoder)
{
    for (int orientation = 1; orientation <= 8; ++orientation) {
        Dossier d;
        const QString jpg = d.ecrire(QStringLiteral("photo.jpg"), jpegOriente(motif(60, 40), orientation));
        const QString droit = d.chemin(QStringLiteral("droit.png"));
        executer(QStringLiteral("vips"), {QStringLiteral("autorot"), jpg, droit});
        const QImage attendu = QImage(droit).convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(attendu.size(), orientation >= 5 ? QSize(40, 60) : QSize(60, 40));
        const QStringList crees = Conversions::convertirUn(jpg, QStringLiteral("pdf"));
        ASSERT_EQ(crees.size(), 1) << orientation;
        EXPECT_TRUE(octets(crees[0]).contains(octets(jpg))) << orientation;
        EXPECT_EQ(taillePage(crees[0], 1), QSizeF(attendu.size())) << orientation;
        const QImage page = rendu(crees[0], 1, 72);
        ASSERT_EQ(page.size(), attendu.size()) << orientation;
        // Sampled inside the quarters, away from the edges JPEG blurs.
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j) {
                const QPoint p((2 * i + 1) * page.width() / 8, (2 * j + 1) * page.height() / 8);
                const QColor a = page.pixelColor(p);
                const QColor b = attendu.pixelColor(p);
                EXPECT_LE(std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()), 30)
                    << "orientation " << orientation << " at " << p.x() << "," << p.y();
            }
    }
}

TEST(PdfImages, LaTransparenceResteUnMasque)
{
    Dossier d;
    const QString png = d.chemin(QStringLiteral("logo.png"));
    ASSERT_TRUE(motif(40, 30, true).save(png));
    const QStringList crees = Conversions::convertirUn(png, QStringLiteral("pdf"));
    ASSERT_EQ(crees.size(), 1);
    QString liste;
    executer(QStringLiteral("pdfimages"), {QStringLiteral("-list"), crees[0]}, &liste);
    EXPECT_TRUE(liste.contains(QLatin1String("smask"))) << liste.toStdString();
    const QImage page = rendu(crees[0], 1, 72);
    EXPECT_EQ(page.pixelColor(35, 5), QColor(Qt::white));  // transparent: the paper shows
    EXPECT_EQ(page.pixelColor(35, 20), QColor(250, 200, 0));
    EXPECT_EQ(page.pixelColor(5, 5), QColor(230, 30, 30));
}

TEST(PdfImages, PlusieursImagesDansLOrdreDuGestionnaire)
{
    Dossier d;
    ASSERT_TRUE(motif(30, 20).save(d.chemin(QStringLiteral("image 10.png"))));
    ASSERT_TRUE(motif(20, 30).save(d.chemin(QStringLiteral("image 2.png"))));
    d.ecrire(QStringLiteral("image 9.jpg"), jpegOriente(motif(16, 16), 1));
    const auto res = Conversions::convertir(
        {d.chemin(QStringLiteral("image 10.png")), d.chemin(QStringLiteral("image 9.jpg")),
         d.chemin(QStringLiteral("image 2.png"))},
        QStringLiteral("pdf"), {});
    ASSERT_EQ(res.crees, QStringList{d.chemin(QStringLiteral("image 2 et 2 autres.pdf"))});
    EXPECT_EQ(taillePage(res.crees[0], 1), QSizeF(20, 30));
    EXPECT_EQ(taillePage(res.crees[0], 2), QSizeF(16, 16));
    EXPECT_EQ(taillePage(res.crees[0], 3), QSizeF(30, 20));
    EXPECT_TRUE(intact(res.crees[0]));
}

// A JPEG cut short, a picture that is none: named, and no PDF left behind.
TEST(PdfImages, ImagesIllisibles)
{
    Dossier d;
    const QByteArray jpeg = jpegOriente(motif(64, 48), 1);
    d.ecrire(QStringLiteral("coupée.jpg"), jpeg.left(jpeg.size() / 2));
    d.ecrire(QStringLiteral("faux.png"), "ceci n’est pas une image");
    const QStringList avant = d.noms();
    for (const QString& nom : avant) {
        const auto res = Conversions::convertir({d.chemin(nom)}, QStringLiteral("pdf"), {});
        EXPECT_EQ(res.erreurs, QStringList{QStringLiteral("Impossible de lire « %1 »").arg(nom)});
        EXPECT_EQ(d.noms(), avant);
    }
    try {
        Conversions::imagesEnPDF({});
        ADD_FAILURE() << "no image, no PDF";
    } catch (const Conversions::Erreur& e) {
        EXPECT_EQ(e.cas(), Conversions::Erreur::Cas::lecture);
    }
}

} // namespace
