// Pictures the first reader refuses (compressed and colour-mapped TGA, top-down BMP,
// subsampled YCbCr TIFF) are read by the system's decoders, pixel for pixel.

#include "conversions/images/images_fabrique.h"

#include <QtEndian>
#include <optional>

using namespace essais;

namespace {

// Four bands of colours every TGA kind stores exactly (5 bits, a 3-3-2 palette), and a
// transparent bottom-right corner when `alpha`.
QImage motif(bool alpha)
{
    QImage image(48, 32, QImage::Format_ARGB32);
    const QRgb couleurs[] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 255)};
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            QRgb c = couleurs[(x / 12 + y / 8) % 4];
            if (alpha && x >= 36 && y >= 24)
                c = qRgba(0, 0, 0, 0);
            image.setPixel(x, y, c);
        }
    return image;
}

// Compares every pixel (and alpha where the source has one); the first difference.
void memesPixels(const QImage& lue, const QImage& attendue, bool alpha)
{
    ASSERT_EQ(lue.size(), attendue.size());
    for (int y = 0; y < attendue.height(); ++y)
        for (int x = 0; x < attendue.width(); ++x) {
            const QRgb a = attendue.pixel(x, y), l = lue.pixel(x, y);
            if (alpha && qAlpha(a) == 0) {
                ASSERT_EQ(qAlpha(l), 0) << x << "," << y;
                continue;
            }
            ASSERT_EQ(qRgb(qRed(l), qGreen(l), qBlue(l)), qRgb(qRed(a), qGreen(a), qBlue(a))) << x << "," << y;
        }
}

TEST(DecodeursLibav, ToutesLesSortesDeTgaRelues)
{
    struct Cas {
        const char* nom;
        QStringList options;
        bool alpha;
    };
    const QList<Cas> cas{
        {"rle32.tga", {"-pix_fmt", "bgra", "-rle", "1"}, true},
        {"rle24.tga", {"-pix_fmt", "bgr24", "-rle", "1"}, false},
        {"rle16.tga", {"-pix_fmt", "rgb555le", "-rle", "1"}, false},
        {"palette.tga", {"-pix_fmt", "pal8", "-rle", "0"}, false},
        {"palette-rle.tga", {"-pix_fmt", "pal8", "-rle", "1"}, false},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.nom);
        Dossier d;
        const QImage source = motif(c.alpha);
        const QString png = ecrire(d, "source.png", source);
        const QString tga = d.chemin(c.nom);
        sortieDe("ffmpeg", QStringList{"-v", "error", "-i", png, "-c:v", "targa"} + c.options + QStringList{tga});
        QFile::remove(png);
        // ImageMagick, another reader, says what the file holds (a palette may round a level).
        const QImage attendue = decoder(
            sortieDe("sh", {"-c", "convert \"$0\" \"$0.png\" && echo \"$0.png\"", tga}).trimmed());
        QFile::remove(tga + ".png");
        const QColor rouge = attendue.pixelColor(0, 0);
        EXPECT_TRUE(rouge.red() > 240 && rouge.green() < 10 && rouge.blue() < 10);
        const QString sortie = convertirSeul(tga, "png");
        EXPECT_EQ(champVips(sortie, "bands").toInt(), c.alpha ? 4 : 3);
        memesPixels(decoder(sortie), attendue, c.alpha);
    }
}

// An uncompressed 32-bit TGA of `image`, top row first, whose fourth bytes are all 0 as many
// writers leave them; `bitsAlpha` in its descriptor and, when given, the extension area's
// attributes type (0: no alpha, 2: undefined values to keep, 3: alpha).
QByteArray tga32(const QImage& image, quint8 bitsAlpha, std::optional<quint8> attributs)
{
    QByteArray o(18, '\0');
    o[2] = 2;  // true colour
    const quint16 dimensions[] = {quint16(image.width()), quint16(image.height())};
    for (int i = 0; i < 2; ++i) {
        o[12 + 2 * i] = char(dimensions[i] & 0xFF);
        o[13 + 2 * i] = char(dimensions[i] >> 8);
    }
    o[16] = 32;
    o[17] = char(0x20 | bitsAlpha);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            o.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c))).append('\0');
        }
    if (!attributs)
        return o;
    const quint32 debut = quint32(o.size());
    QByteArray extension(495, '\0');
    extension[0] = char(495 & 0xFF);
    extension[1] = char(495 >> 8);
    extension[494] = char(*attributs);
    o += extension;
    ajouter(o, debut);
    ajouter(o, quint32(0));
    return o + QByteArray("TRUEVISION-XFILE.\0", 18);
}

// The fourth byte is alpha only where the file says so: no alpha bits in the header, or an
// extension area that calls it absent or undefined, make an opaque picture on every petal,
// in the colours ImageMagick reads; alpha that the file declares is kept.
TEST(DecodeursLibav, UnTgaDontLeQuatriemeOctetNEstPasAlphaEstOpaque)
{
    const QImage source = motif(false);
    struct Cas {
        const char* nom;
        QByteArray octets;
        bool alpha;
    };
    const QList<Cas> cas{{"sans-bits.tga", tga32(source, 0, std::nullopt), false},
                         {"sans-alpha.tga", tga32(source, 8, 0), false},
                         {"indefini.tga", tga32(source, 8, 2), false},
                         {"alpha.tga", tga32(source, 8, 3), true}};
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.nom);
        Dossier d;
        const QString tga = d.ecrire(c.nom, c.octets);
        const QImage attendue = decoder(
            sortieDe("sh", {"-c", "convert \"$0\" \"$0.png\" && echo \"$0.png\"", tga}).trimmed());
        QFile::remove(tga + ".png");
        const QString png = convertirSeul(tga, "png");
        EXPECT_EQ(champVips(png, "bands").toInt(), c.alpha ? 4 : 3);
        if (c.alpha) {
            EXPECT_EQ(qAlpha(decoder(png).pixel(10, 10)), 0);
            continue;
        }
        memesPixels(decoder(png), attendue, false);
        const QImage webp = decoder(convertirSeul(tga, "webp"));
        for (const QImage& vue : {webp, decoder(convertirSeul(tga, "jpg")), rendre(convertirSeul(tga, "pdf"), 1)}) {
            ASSERT_EQ(vue.size(), source.size());
            const QColor rouge = vue.pixelColor(2, 2);
            EXPECT_GT(rouge.red(), 200);
            EXPECT_LT(rouge.green() + rouge.blue(), 60);
            EXPECT_EQ(rouge.alpha(), 255);
        }
    }
}

// A grey TGA of 16 bits a pixel (grey, then alpha: 8 alpha bits in the descriptor), stored
// from the corner the descriptor names, raw or in runs of at most 128 pixels (runs of equal
// pixels, the rest as raw packets), as Pillow writes its LA pictures.
QByteArray tgaGrisAlpha(const QImage& image, bool enPaquets, bool deDroite, bool deHaut)
{
    QByteArray o(18, '\0');
    o[2] = char(enPaquets ? 11 : 3);
    o[12] = char(image.width() & 0xFF), o[13] = char(image.width() >> 8);
    o[14] = char(image.height() & 0xFF), o[15] = char(image.height() >> 8);
    o[16] = 16;
    o[17] = char(8 | (deDroite ? 0x10 : 0) | (deHaut ? 0x20 : 0));
    QList<QByteArray> pixels;
    for (int r = 0; r < image.height(); ++r)
        for (int c = 0; c < image.width(); ++c) {
            const QRgb p = image.pixel(deDroite ? image.width() - 1 - c : c, deHaut ? r : image.height() - 1 - r);
            pixels.append(QByteArray().append(char(qRed(p))).append(char(qAlpha(p))));
        }
    for (qsizetype i = 0; i < pixels.size();) {
        qsizetype n = 1;
        if (!enPaquets) {
            o += pixels[i++];
            continue;
        }
        while (i + n < pixels.size() && n < 128 && pixels[i + n] == pixels[i])
            ++n;
        if (n > 1) {
            o += char(0x80 | (n - 1)) + pixels[i];
        } else {
            while (i + n < pixels.size() && n < 128 && pixels[i + n] != pixels[i + n - 1])
                ++n;
            o += char(n - 1);
            for (qsizetype k = i; k < i + n; ++k)
                o += pixels[k];
        }
        i += n;
    }
    return o;
}

// `image` over white, as a viewer shows it.
QRgb surBlanc(QRgb p)
{
    const auto canal = [&](int v) { return (v * qAlpha(p) + 255 * (255 - qAlpha(p)) + 127) / 255; };
    return qRgb(canal(qRed(p)), canal(qGreen(p)), canal(qBlue(p)));
}


// Grey and alpha of 16 bits a pixel, raw and in runs, from every corner: the PNG holds the
// same grey and alpha, every other petal the same greys over white, none a false colour.
TEST(DecodeursLibav, UnTgaGrisAvecAlphaResteGris)
{
    QImage source(40, 30, QImage::Format_ARGB32);
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x) {
            const int g = x < 8 ? 0 : x * 255 / 39;  // runs on the left, a ramp after
            source.setPixel(x, y, qRgba(g, g, g, y < 10 ? 255 : 255 - y * 6));
        }
    Dossier d;
    for (const bool enPaquets : {false, true})
        for (const bool deDroite : {false, true})
            for (const bool deHaut : {false, true}) {
                const QString nom = QStringLiteral("gris-%1%2%3.tga").arg(enPaquets).arg(deDroite).arg(deHaut);
                const QByteArray octets = tgaGrisAlpha(source, enPaquets, deDroite, deHaut);
                const QString coupe = d.ecrire("coupe-" + nom, octets.left(octets.size() - 30));
                echoue(d, {coupe}, "png", {illisible(QFileInfo(coupe).fileName())});
                const QString tga = d.ecrire(nom, octets);
                const QString png = convertirSeul(tga, "png");
                ASSERT_EQ(champVips(png, "bands"), "2") << nom.toStdString();
                const QImage lue = decoder(png);
                memesPixels(lue, source, true);
                EXPECT_EQ(qAlpha(lue.pixel(20, 25)), qAlpha(source.pixel(20, 25)));
                for (const char* id : {"jpg", "heic", "webp", "leger", "pdf"}) {
                    SCOPED_TRACE(nom.toStdString() + " → " + id);
                    const QString sortie = convertirSeul(tga, id);
                    const QImage vue = sortie.endsWith(".pdf") ? rendre(sortie, 1) : decoder(sortie);
                    ASSERT_EQ(vue.size(), source.size());
                    for (const QPoint p : {QPoint(3, 3), QPoint(20, 5), QPoint(36, 6), QPoint(20, 25), QPoint(37, 27)}) {
                        const QRgb vu = surBlanc(vue.pixel(p)), attendu = surBlanc(source.pixel(p));
                        EXPECT_LE(std::abs(qRed(vu) - qBlue(vu)) + std::abs(qGreen(vu) - qBlue(vu)), 6) << p.x() << "," << p.y();
                        EXPECT_NEAR(qGreen(vu), qGreen(attendu), 8) << p.x() << "," << p.y();
                    }
                }
            }
}

// A 32-bit BMP stored top-down (negative height), with its colour masks.
QByteArray bmpDeHautEnBas(const QImage& image)
{
    QByteArray pixels;
    for (int y = 0; y < image.height(); ++y)  // the first row stored is the top one
        for (int x = 0; x < image.width(); ++x) {
            const quint32 le = qToLittleEndian(quint32(image.pixel(x, y)));
            pixels.append(reinterpret_cast<const char*>(&le), 4);
        }
    return bmpAChamps(image.width(), -image.height(), 32, 108, {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u},
                      pixels);
}

TEST(DecodeursLibav, UnBmpDeHautEnBasGardeSonSens)
{
    Dossier d;
    const QImage source = motif(true);
    const QString bmp = d.ecrire("haut.bmp", bmpDeHautEnBas(source));
    const QString sortie = convertirSeul(bmp, "png");
    EXPECT_EQ(sortie, d.chemin("haut.png"));
    memesPixels(decoder(sortie), source, true);
    EXPECT_EQ(decoder(sortieDe("sh", {"-c", "convert \"$0\" \"$0.png\" && echo \"$0.png\"", bmp}).trimmed()).pixel(0, 0),
              decoder(sortie).pixel(0, 0));
}

// A YCbCr TIFF subsampled 2 × 2, in four flat quarters: red, green, blue, white; its
// compression tag says `compression` (1: none), whatever the strip holds.
QString tiffSousEchantillonne(const Dossier& d, const QString& nom, int compression = 1)
{
    const char* programme = R"(
import struct, sys
w, h = 64, 48
couleurs = [(81, 90, 240), (145, 54, 34), (41, 240, 110), (235, 128, 128)]
donnees = bytearray()
for by in range(h // 2):
    for bx in range(w // 2):
        y, cb, cr = couleurs[(bx * 2 >= w // 2) + 2 * (by * 2 >= h // 2)]
        donnees += bytes([y, y, y, y, cb, cr])
champs = [(256, 3, 1, w), (257, 3, 1, h), (258, 3, 3, None), (259, 3, 1, int(sys.argv[2])), (262, 3, 1, 6), (273, 4, 1, None),
          (277, 3, 1, 3), (278, 3, 1, h), (279, 4, 1, len(donnees)), (284, 3, 1, 1), (530, 3, 2, None),
          (532, 5, 6, None)]
fin = 8 + 2 + 12 * len(champs) + 4
bits, ref = fin, fin + 6
pixels = ref + 48
o = bytearray(b'II*\0' + struct.pack('<IH', 8, len(champs)))
for tag, t, n, v in champs:
    if tag == 258: v = struct.pack('<I', bits)
    elif tag == 273: v = struct.pack('<I', pixels)
    elif tag == 530: v = struct.pack('<HH', 2, 2)
    elif tag == 532: v = struct.pack('<I', ref)
    elif t == 3: v = struct.pack('<HH', v, 0)
    else: v = struct.pack('<I', v)
    o += struct.pack('<HHI', tag, t, n) + v
o += struct.pack('<I', 0) + struct.pack('<HHH', 8, 8, 8)
for a in (0, 255, 128, 255, 128, 255): o += struct.pack('<II', a, 1)
open(sys.argv[1], 'wb').write(o + donnees)
)";
    sortieDe("python3", {"-c", programme, d.chemin(nom), QString::number(compression)});
    return d.chemin(nom);
}

TEST(DecodeursLibav, UnTiffSousEchantillonneSeLit)
{
    Dossier d;
    const QString tiff = tiffSousEchantillonne(d, "ycc.tif");
    QString vips;
    ASSERT_NE(executer("vipsheader", {tiff}, &vips), 0) << vips.toStdString();  // the first reader refuses it
    for (const char* id : {"png", "jpg"}) {
        SCOPED_TRACE(id);
        const QImage vue = decoder(convertirSeul(tiff, id));
        ASSERT_EQ(vue.size(), QSize(64, 48));
        const QColor attendues[] = {QColor(255, 0, 0), QColor(0, 255, 0), QColor(0, 0, 255), QColor(255, 255, 255)};
        const QPoint centres[] = {{16, 12}, {48, 12}, {16, 36}, {48, 36}};
        for (int i = 0; i < 4; ++i) {
            const QColor c = vue.pixelColor(centres[i]);
            EXPECT_NEAR(c.red(), attendues[i].red(), 12) << i;
            EXPECT_NEAR(c.green(), attendues[i].green(), 12) << i;
            EXPECT_NEAR(c.blue(), attendues[i].blue(), 12) << i;
        }
    }
}

// libav's decoder keeps the same size guard: a TGA claiming 65535 × 65535 pixels is refused
// before any allocation, and a TIFF that neither reader takes keeps the first refusal.
TEST(DecodeursLibav, LesGardesValentAussiPourLibav)
{
    Dossier d;
    QByteArray tga(18, '\0');
    tga[2] = 10;  // RLE true colour
    tga[12] = tga[13] = tga[14] = tga[15] = char(0xFF);
    tga[16] = 24;
    tga.append(QByteArray(64, char(0x7F)));
    const QString geant = d.ecrire("geant.tga", tga);
    const QString faux = d.ecrire("faux.tif", "II*\0 pas une image");
    // Tagged old-style JPEG but holding raw pixels: refused, not misread.
    const QString ancien = tiffSousEchantillonne(d, "ancien.tif", 6);
    for (const QString& source : {geant, faux, ancien})
        echoue(d, {source}, "png", {illisible(QFileInfo(source).fileName())});
}

} // namespace
