#include "conversions/images/images_fabrique.h"

using namespace essais;

namespace {

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

// The sum of the channels' differences at `p`.
int ecart(const QImage& a, const QImage& b, QPoint p)
{
    const QColor x = a.pixelColor(p), y = b.pixelColor(p);
    return std::abs(x.red() - y.red()) + std::abs(x.green() - y.green()) + std::abs(x.blue() - y.blue());
}

TEST(PdfImages, UnPngSansPerteAUnPointParPixel)
{
    Dossier d;
    const QImage source = motif(50, 40).convertToFormat(QImage::Format_RGB32);
    const QString png = ecrire(d, "photo.png", source);
    const QString pdf = convertirSeul(png, "pdf");
    EXPECT_EQ(pdf, d.chemin("photo.pdf"));
    EXPECT_TRUE(intact(pdf));
    EXPECT_EQ(pages(pdf), 1);
    EXPECT_EQ(taillePage(pdf, 1), QSizeF(50, 40));
    // The image as poppler takes it out of the file, pixel for pixel.
    QTemporaryDir sortie;
    sortieDe("pdfimages", {"-png", pdf, sortie.filePath("i")});
    const QImage extraite = QImage(sortie.filePath("i-000.png")).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(extraite.size(), source.size());
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x)
            ASSERT_EQ(ecart(extraite, source, {x, y}), 0) << x << "," << y;
}

// The colour profile a JPEG carries comes along for the PDF reader, its bytes untouched.
TEST(PdfImages, UnJpegGardeSonProfil)
{
    Dossier d;
    const QString png = ecrire(d, "source.png", motif(40, 30));
    const QString jpg = d.chemin("profil.jpg");
    sortieDe("vips", {"jpegsave", png, jpg, "--profile", "srgb"});
    const QString pdf = convertirSeul(jpg, "pdf");
    EXPECT_TRUE(intact(pdf));
    EXPECT_TRUE(lire(pdf).contains(lire(jpg)));
    const QString liste = sortieDe("pdfimages", {"-list", pdf});
    EXPECT_TRUE(liste.contains(QLatin1String(" icc "))) << liste.toStdString();
}

// Each EXIF orientation turns the page, not the pixels: the page must look like the
// photo turned upright by libvips' own command line.
TEST(PdfImages, LOrientationTourneLaPageSansReencoder)
{
    for (int orientation = 1; orientation <= 8; ++orientation) {
        SCOPED_TRACE(orientation);
        Dossier d;
        const QString jpg = jpegOriente(d, "photo.jpg", motif(60, 40), orientation);
        const QString droit = d.chemin("droit.png");
        sortieDe("vips", {"autorot", jpg, droit});
        const QImage attendu = QImage(droit).convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(attendu.size(), orientation >= 5 ? QSize(40, 60) : QSize(60, 40));
        const QString pdf = convertirSeul(jpg, "pdf");
        EXPECT_TRUE(intact(pdf));
        EXPECT_TRUE(lire(pdf).contains(lire(jpg)));
        EXPECT_EQ(taillePage(pdf, 1), QSizeF(attendu.size()));
        const QImage page = rendre(pdf, 1);
        ASSERT_EQ(page.size(), attendu.size());
        // Sampled inside the quarters, away from the edges JPEG blurs.
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j) {
                const QPoint p((2 * i + 1) * page.width() / 8, (2 * j + 1) * page.height() / 8);
                EXPECT_LE(ecart(page, attendu, p), 30) << "at " << p.x() << "," << p.y();
            }
    }
}

// EXIF may store the orientation as a LONG or SLONG: the page turns as libvips turns the
// photo, its size read by poppler.
TEST(PdfImages, UneOrientationEnEntierLongTourneAussiLaPage)
{
    for (const char type : {4, 9}) {
        SCOPED_TRACE(int(type));
        Dossier d;
        const QString jpg = jpegOriente(d, "photo.jpg", motif(60, 40), 6, type);
        ASSERT_EQ(champVips(jpg, "orientation"), "6");
        const QString pdf = convertirSeul(jpg, "pdf");
        EXPECT_TRUE(lire(pdf).contains(lire(jpg)));
        EXPECT_EQ(taillePage(pdf, 1), QSizeF(40, 60));
    }
}

TEST(PdfImages, LaTransparenceResteUnMasque)
{
    Dossier d;
    const QString pdf = convertirSeul(ecrire(d, "logo.png", motif(40, 30, true)),
                                      "pdf");
    const QString liste = sortieDe("pdfimages", {"-list", pdf});
    EXPECT_TRUE(liste.contains(QLatin1String("smask"))) << liste.toStdString();
    const QImage page = rendre(pdf, 1);
    EXPECT_EQ(page.pixelColor(35, 5), QColor(Qt::white));  // transparent: the paper shows
    EXPECT_EQ(page.pixelColor(35, 20), QColor(250, 200, 0));
    EXPECT_EQ(page.pixelColor(5, 5), QColor(230, 30, 30));
}

} // namespace
