// Pictures that the usual readers get wrong: a BMP whose bit fields are not 8 bits wide
// (Qt scales a 9-bit green to nothing), a TIFF compressed with the old-style JPEG scheme
// (libvips and libav take its strips for raw pixels). No tool here writes the latter: the
// test wraps a JPEG made by libvips in TIFF tags by hand, as old scanners did.

#include "conversions/images/images_fabrique.h"

#include <QPainter>
#include <QtEndian>

using namespace essais;

namespace {

// A 16-bit BMP (BITMAPV5HEADER, BI_BITFIELDS) with alpha 4 bits, red 1, green 9, blue 2,
// from the top bit down; its pixels, row by row from the top, are `valeurs` repeated.
QByteArray bmp1924(int largeur, int hauteur, const QList<quint16>& valeurs)
{
    QByteArray pixels;
    const int pas = (largeur * 2 + 3) / 4 * 4;
    for (int y = hauteur - 1; y >= 0; --y) {  // rows stored from the bottom
        for (int x = 0; x < largeur; ++x) {
            const quint16 le = qToLittleEndian(valeurs[(y * largeur + x) % valeurs.size()]);
            pixels.append(reinterpret_cast<const char*>(&le), 2);
        }
        pixels.append(QByteArray(pas - largeur * 2, '\0'));
    }
    return bmpAChamps(largeur, hauteur, 16, 124, {0x0800u, 0x07FCu, 0x0003u, 0xF000u}, pixels);
}

quint16 pixel1924(int alpha, int rouge, int vert, int bleu)
{
    return quint16(alpha << 12 | rouge << 11 | vert << 2 | bleu);
}

TEST(DecodeursPropres, UnBmpAChampsDeSeizeBitsGardeSesCouleurs)
{
    Dossier d;
    // Each field brought to 8 bits, rounded: green 219 of 511 is 109, blue 2 of 3 is 170.
    const QList<quint16> valeurs{pixel1924(15, 0, 219, 2), pixel1924(15, 1, 511, 0), pixel1924(8, 1, 0, 3),
                                 pixel1924(0, 0, 0, 0)};
    const QList<QRgb> attendues{qRgba(0, 109, 170, 255), qRgba(255, 255, 0, 255), qRgba(255, 0, 255, 136),
                                qRgba(0, 0, 0, 0)};
    const QString source = d.ecrire("rgba16.bmp", bmp1924(9, 5, valeurs));
    const QImage lue = decoder(convertirSeul(source, "png"));
    ASSERT_EQ(lue.size(), QSize(9, 5));
    for (int i = 0; i < 9 * 5; ++i) {
        const QRgb attendue = attendues[i % 4];
        const QRgb l = lue.pixel(i % 9, i / 9);
        EXPECT_EQ(qAlpha(l), qAlpha(attendue)) << i;
        if (qAlpha(attendue) == 255) {
            EXPECT_EQ(qRgb(qRed(l), qGreen(l), qBlue(l)), qRgb(qRed(attendue), qGreen(attendue), qBlue(attendue))) << i;
        }
    }
    // Every alpha at 0 means a writer that left the field unset: the picture is opaque.
    const QString nul = d.ecrire("nul.bmp", bmp1924(4, 4, {pixel1924(0, 0, 219, 2)}));
    const QString jpg = convertirSeul(nul, "leger");
    EXPECT_EQ(jpg, d.chemin("nul (légère).jpg"));
    const QColor c = decoder(jpg).pixelColor(2, 2);
    EXPECT_NEAR(c.green(), 109, 6);
    EXPECT_NEAR(c.blue(), 170, 6);
    // 5 or 6 bits by ffmpeg, without masks or with: white stays white.
    for (const char* format : {"rgb555le", "rgb565le"}) {
        const QString blanc = d.chemin(QStringLiteral("blanc-%1.bmp").arg(format));
        sortieDe("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "color=white:s=8x8", "-frames:v", "1", "-pix_fmt",
                            format, blanc});
        EXPECT_EQ(decoder(convertirSeul(blanc, "png")).pixel(4, 4), qRgb(255, 255, 255)) << format;
    }
    // Cut inside its pixels: refused, not padded.
    const QString coupe = d.ecrire("coupe.bmp", bmp1924(40, 40, valeurs).left(14 + 124 + 200));
    echoue(d, {coupe}, "png", {illisible("coupe.bmp")});
}

// Red over the left half, blue over the right, a white square in the middle.
QImage motif()
{
    QImage image(96, 64, QImage::Format_RGB32);
    QPainter p(&image);
    p.fillRect(0, 0, 48, 64, QColor(210, 40, 30));
    p.fillRect(48, 0, 48, 64, QColor(30, 60, 200));
    p.fillRect(32, 16, 32, 32, Qt::white);
    return image;
}

// An old-style JPEG TIFF: the whole JPEG file is both the strip and the interchange format
// (tags 513, 514); Photometric YCbCr, subsampled `facteur` × `facteur` as the JPEG is.
QString tiffJpegAncien(const Dossier& d, const QString& nom, int facteur)
{
    const QString png = ecrire(d, "motif.png", motif());
    const QString jpeg = d.chemin(nom + ".jpg");
    sortieDe("vips", {"jpegsave", png, jpeg, "--Q", "95", "--subsample-mode", facteur == 2 ? "on" : "off"});
    QFile::remove(png);
    const char* programme = R"(
import struct, sys
j = open(sys.argv[1], 'rb').read()
w, h, f = 96, 64, int(sys.argv[3])
champs = [(256, 3, w), (257, 3, h), (258, 3, None), (259, 3, 6), (262, 3, 6), (273, 4, None), (277, 3, 3),
          (278, 3, h), (279, 4, len(j)), (513, 4, None), (514, 4, len(j)), (530, 3, None)]
bits = 8 + 2 + 12 * len(champs) + 4
debut = bits + 6
o = b'II*\0' + struct.pack('<IH', 8, len(champs))
for tag, t, v in champs:
    if tag == 258: o += struct.pack('<HHII', tag, 3, 3, bits)
    elif tag == 530: o += struct.pack('<HHIHH', tag, 3, 2, f, f)
    elif tag in (273, 513): o += struct.pack('<HHII', tag, 4, 1, debut)
    elif t == 3: o += struct.pack('<HHIHH', tag, 3, 1, v, 0)
    else: o += struct.pack('<HHII', tag, 4, 1, v)
o += struct.pack('<I', 0) + struct.pack('<HHH', 8, 8, 8)
open(sys.argv[2], 'wb').write(o + j)
)";
    sortieDe("python3", {"-c", programme, jpeg, d.chemin(nom), QString::number(facteur)});
    return d.chemin(nom);
}

TEST(DecodeursPropres, UnTiffEnJpegAncienSeLit)
{
    for (int facteur : {1, 2}) {
        SCOPED_TRACE(facteur);
        Dossier d;
        const QString tiff = tiffJpegAncien(d, "scan.tif", facteur);
        // What the JPEG inside holds, decoded by libvips.
        const QImage attendue = decoder(d.chemin("scan.tif.jpg"));
        for (const char* id : {"png", "jpg", "leger"}) {
            SCOPED_TRACE(id);
            const QImage vue = decoder(convertirSeul(tiff, id));
            ASSERT_EQ(vue.size(), QSize(96, 64));
            for (const QPoint& p : {QPoint(12, 12), QPoint(84, 50), QPoint(48, 32), QPoint(20, 60)}) {
                const QColor a = attendue.pixelColor(p), v = vue.pixelColor(p);
                EXPECT_NEAR(v.red(), a.red(), 8) << p.x() << "," << p.y();
                EXPECT_NEAR(v.green(), a.green(), 8) << p.x() << "," << p.y();
                EXPECT_NEAR(v.blue(), a.blue(), 8) << p.x() << "," << p.y();
            }
        }
    }
}

} // namespace
