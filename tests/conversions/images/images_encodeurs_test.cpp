// The fast encoders: a PNG compressed in slices must decode, in readers that are not ours,
// to exactly the source's pixels; a large WebP (encoded on two threads) keeps its size
// and orientation.

#include "conversions/images/images_fabrique.h"

#include "conversions/images/Images.h"

#include <QProcess>

using namespace Conversions;
using namespace essais;

namespace {

// The raw pixels of `png` as ffmpeg and as libvips decode them.
QByteArray parFFmpeg(const QString& png, const char* format)
{
    QProcess p;
    p.start("ffmpeg", {"-v", "error", "-i", png, "-f", "rawvideo", "-pix_fmt", format, "-"});
    EXPECT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return p.readAllStandardOutput();
}

QByteArray parVips(const QString& png)
{
    QTemporaryDir ailleurs;
    sortieDe("vips", {"rawsave", png, ailleurs.filePath("x.raw")});
    return lire(ailleurs.filePath("x.raw"));
}

QByteArray octets(const QImage& image)
{
    QByteArray o;
    for (int y = 0; y < image.height(); ++y)
        o.append(reinterpret_cast<const char*>(image.constScanLine(y)),
                 static_cast<qsizetype>(image.width()) * image.depth() / 8);
    return o;
}

// Noise with stripes and a soft alpha, 16 bits per sample where asked.
QImage echantillon(int w, int h, QImage::Format format)
{
    QImage i = texture(w, h, 7).convertToFormat(format);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; x += 7) {
            QColor c = i.pixelColor(x, y);
            c.setRgba64(qRgba64(c.rgba64().red() ^ static_cast<quint16>(x * 37), c.rgba64().green(),
                                c.rgba64().blue(), static_cast<quint16>((x * 613 + y * 29) & 0xffff)));
            i.setPixelColor(x, y, c);
        }
    return i;
}

} // namespace

// Large enough for many slices and several batches: two outside readers must find every
// pixel of the source, alpha and 16-bit samples included, and pngcheck the stream sound.
TEST(ImagesEncodeurs, PngEnTranchesIdentiqueALaSource)
{
    struct Cas {
        const char* nom;
        QImage::Format format;
        const char* ffmpeg;
        QSize taille;
    };
    const Cas cas[] = {
        {"rvb", QImage::Format_RGB888, "rgb24", {2100, 1500}},
        {"alpha", QImage::Format_RGBA8888, "rgba", {1500, 1300}},
        {"seize", QImage::Format_RGBA64, "rgba64le", {900, 800}},
        {"gris", QImage::Format_Grayscale8, "gray", {3001, 1201}},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.nom);
        Dossier d;
        const QImage source = echantillon(c.taille.width(), c.taille.height(), c.format);
        const QString png = convertirSeul(ecrire(d, QStringLiteral("%1.png").arg(c.nom), source), "png");
        const QString verdict = sortieDe("pngcheck", {png});
        EXPECT_TRUE(verdict.startsWith("OK:")) << verdict.toStdString();
        const QByteArray attendus = octets(source);
        EXPECT_TRUE(parFFmpeg(png, c.ffmpeg) == attendus);
        EXPECT_TRUE(parVips(png) == attendus);
    }
}

// A WebP above four megapixels goes through libwebp's threads: still upright and whole.
TEST(ImagesEncodeurs, GrandWebPDroitEtEntier)
{
    Dossier d;
    QImage image = texture(2400, 1720, 3);
    QPainter(&image).fillRect(QRect(0, 0, 600, 300), Qt::red);
    const QString webp = convertirSeul(jpegOriente(d, "grande.jpg", image, 6), "webp");
    const QString info = sortieDe("webpinfo", {webp});
    EXPECT_TRUE(info.contains("Width: 1720") && info.contains("Height: 2400")) << info.toStdString();
    const QImage relue = decoder(webp);
    EXPECT_GT(qRed(relue.pixel(1700, 20)), 200);  // the red corner turned to the top right
    EXPECT_LT(qGreen(relue.pixel(1700, 20)), 60);
}
