// Bad and unusual inputs: each gives a clear error or a correct output, never touches
// the source and leaves nothing behind.

#include "conversions/images/images_fabrique.h"

#include "conversions/images/Images.h"
#include "conversions/borne_memoire.h"

using namespace Conversions;
using namespace essais;

// Empty, cut short, lying about its type, a loader we do not trust (SVG, PPM: libvips
// could read them) or a decompression bomb: every petal of an image refuses it.
TEST(ImagesEntrees, EntreesHostilesRefuseesPartout)
{
    QImage bleue(200, 150, QImage::Format_RGB32);
    bleue.fill(QColor(90, 140, 200));
    Dossier modele;
    const QByteArray jpeg = lire(ecrire(modele, "x.jpg", bleue));
    const QList<std::pair<QString, QByteArray>> cas{
        {"vide.jpg", {}},
        {"coupee.jpg", jpeg.left(jpeg.size() / 2)},
        {"notes.png", "Ceci n’est pas une image.\n"},
        {"dessin.png", "<svg xmlns='http://www.w3.org/2000/svg' width='10' height='10'><rect width='10' "
                       "height='10'/></svg>"},
        {"brut.jpg", QByteArray("P6\n4 4\n255\n") + QByteArray(48, '\x7f')},
        {"bombe.png", {}}};
    for (const auto& [nom, contenu] : cas) {
        SCOPED_TRACE(nom.toStdString());
        Dossier d;
        const QString source = nom == "bombe.png" ? pngGeant(d, nom, 20000, 20000) : d.ecrire(nom, contenu);
        if (nom == "brut.jpg") {
            ASSERT_EQ(champVips(source, "width"), "4");  // libvips could read it
        }
        const QByteArray avant = lire(source);
        for (const char* id : {"jpg", "png", "heic", "webp", "leger", "ocr", "detour", "pdf"}) {
            SCOPED_TRACE(id);
            echoue(d, {source}, id, {illisible(nom)});
        }
        EXPECT_THROW(redressee(source, 100), Erreur);
        EXPECT_EQ(lire(source), avant);
    }
    // The same hand-made writer under the size limit: the bomb's refusal is its size's.
    Dossier d;
    EXPECT_EQ(redressee(pngGeant(d, "grise.png", 64, 64)).size(), QSize(64, 64));
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
    for (const QString& source : {cmjn, seize, ecrire(d, "gris.jpg", gris)}) {
        for (const char* id : {"jpg", "png", "heic", "webp", "leger"}) {
            SCOPED_TRACE(QFileInfo(source).fileName().toStdString() + " → " + id);
            const QString sortie = convertirSeul(source, id);
            EXPECT_EQ(champVips(sortie, "width"), "64");
            const QImage relue = decoder(sortie);
            ASSERT_FALSE(relue.isNull());
            if (source == cmjn) {  // still red once in RGB
                EXPECT_GT(qRed(relue.pixel(30, 20)), 150);
                EXPECT_LT(qGreen(relue.pixel(30, 20)), 90);
            }
        }
    }
    EXPECT_TRUE(champVips(d.chemin("seize.jpg"), "format").contains("UCHAR"));
    EXPECT_TRUE(champVips(d.chemin("seize.heic"), "format").contains("UCHAR"));
}

TEST(ImagesEntrees, WebPAnimeDonneSaPremiereImage)
{
    Dossier d;
    QImage rouge(40, 30, QImage::Format_RGB32);
    rouge.fill(Qt::red);
    QImage bleu = rouge;
    bleu.fill(Qt::blue);
    const QString anime = d.chemin("anime.webp");
    sortieDe("img2webp", {"-lossy", ecrire(d, "a.png", rouge), "-d", "100", ecrire(d, "b.png", bleu), "-o", anime});
    ASSERT_EQ(champVips(anime, "n-pages"), "2");
    const QString png = convertirSeul(anime, "png");
    EXPECT_EQ(champVips(png, "height"), "30");
    const QImage premiere(png);
    EXPECT_GT(qRed(premiere.pixel(20, 15)), 200);
    EXPECT_LT(qBlue(premiere.pixel(20, 15)), 60);
}

// A HEIC whose header reads but whose picture does not decode: every petal says it cannot
// read the source, none blames the output it never got to write.
TEST(ImagesEntrees, UnHeicIndecodableEstIllisiblePartout)
{
    Dossier d;
    const QString saine = ecrire(d, "saine.png", texture(256, 256, 7));
    const QString source = d.chemin("abime.heic");
    sortieDe("vips", {"heifsave", saine, source});
    QByteArray octets = lire(source);
    const qsizetype donnees = octets.indexOf("mdat");
    ASSERT_GT(donnees, 0);
    octets.replace(donnees + 4, 36, QByteArray(36, '\xff'));  // the first picture unit's size, and on
    QFile::remove(saine);
    d.ecrire("abime.heic", octets);
    ASSERT_EQ(champVips(source, "width"), "256");  // the header reads
    for (const char* id : {"jpg", "png", "heic", "webp", "leger", "pdf"}) {
        SCOPED_TRACE(id);
        echoue(d, {source}, id, {illisible("abime.heic")});
    }
    EXPECT_EQ(lire(source), octets);
}

namespace {

// `tiff` (little-endian, as libtiff writes it here) with its compression field set to `schema`.
QByteArray avecCompression(QByteArray tiff, quint16 schema)
{
    const quint32 ifd = qFromLittleEndian<quint32>(tiff.constData() + 4);
    const quint16 n = qFromLittleEndian<quint16>(tiff.constData() + ifd);
    for (quint32 e = ifd + 2; e < ifd + 2 + 12u * n; e += 12)
        if (qFromLittleEndian<quint16>(tiff.constData() + e) == 259)
            qToLittleEndian(schema, tiff.data() + e + 8);
    return tiff;
}

} // namespace

// A bilevel TIFF whose strips are not in the compression it declares (Group 4 data under a
// Group 3 tag): libtiff's decoder fails, and every petal says the file cannot be read, each
// time, whichever thread of the pipeline the failure falls on (libvips' command line says
// so about half the time).
TEST(ImagesEntrees, UnTiffQueSonDecodeurRefuseEstIllisiblePartout)
{
    Dossier d;
    const QString damier = d.chemin("damier.tif");
    sortieDe("convert", {"-size", "1700x32", "pattern:checkerboard", "-threshold", "50%", "-type", "bilevel",
                      "-depth", "1", damier});
    const QString g4 = d.chemin("g4.tif");
    sortieDe("tiffcp", {"-c", "g4", damier, g4});
    const QByteArray octets = avecCompression(lire(g4), 3);
    QFile::remove(damier);
    QFile::remove(g4);
    const QString source = d.ecrire("fax.tif", octets);
    ASSERT_TRUE(sortieDe("tiffinfo", {source}).contains("CCITT Group 3"));
    QString dit;
    QTemporaryDir ailleurs;
    ASSERT_NE(executer("tiffcp", {"-c", "none", source, ailleurs.filePath("copie.tif")}, &dit), 0);  // libtiff's own copy fails
    EXPECT_TRUE(dit.contains("can't read strip 0")) << dit.toStdString();
    for (int essai = 0; essai < 4; ++essai)
        for (const char* id : {"jpg", "png", "heic", "webp", "leger", "pdf", "ocr", "detour"}) {
            SCOPED_TRACE(std::to_string(essai) + " " + id);
            echoue(d, {source}, id, {illisible("fax.tif")});
        }
    EXPECT_EQ(lire(source), octets);
}

// A valid PNG of 65 536 × 65 536 grey pixels, its deflate stream made of one compressed block
// of rows repeated (each ends flushed, so blocks stand alone): 4 MB, built in a second.
QString pngValideGeant(const Dossier& d, const QString& nom, int largeur, int hauteur)
{
    const char* programme = R"(
import struct, sys, zlib
l, h = int(sys.argv[2]), int(sys.argv[3])
def bloc(t, o): return struct.pack('>I', len(o)) + t + o + struct.pack('>I', zlib.crc32(t + o))
ligne = bytes(l + 1)
n = max(1, min(h, (64 << 20) // len(ligne)))
while h % n: n -= 1
c = zlib.compressobj(9)
morceau = (c.compress(ligne * n) + c.flush(zlib.Z_FULL_FLUSH))[2:]
total = h * (l + 1)
flux = b'\x78\xda' + morceau * (h // n) + b'\x03\x00' + struct.pack('>I', (total % 65521) << 16 | 1)
o = b'\x89PNG\r\n\x1a\n' + bloc(b'IHDR', struct.pack('>IIBBBBB', l, h, 8, 0, 0, 0, 0))
o += b''.join(bloc(b'IDAT', flux[i:i + (1 << 20)]) for i in range(0, len(flux), 1 << 20))
open(sys.argv[1], 'wb').write(o + bloc(b'IEND', b''))
)";
    sortieDe("python3", {"-c", programme, d.chemin(nom), QString::number(largeur), QString::number(hauteur)});
    return d.chemin(nom);
}

// Valid pictures beyond what may be decoded say so by their size on every petal: a PNG past
// the size guard, a GIF whose frame libnsgif must hold whole and that does not fit. A PNG that
// declares as much over a few bytes stays unreadable (the bomb above).
TEST(ImagesEntrees, UneImageValideTropGrandeLeDit)
{
    Dossier d;
    // The same writer at a small size: a picture libvips reads whole.
    ASSERT_EQ(sortieDe("vips", {"avg", pngValideGeant(d, "petite.png", 300, 200)}).trimmed(), "0.000000");
    QFile::remove(d.chemin("petite.png"));
    const QString png = pngValideGeant(d, "geante.png", 65536, 65536);
    const QString gif = d.chemin("large.gif");
    sortieDe("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "color=red:s=6000x6000", "-frames:v", "1", "-pix_fmt",
                        "rgb8", gif});
    const Borne borne(160LL << 20);  // a frame of 6000 × 6000 takes some 144 MB
    for (const QString& source : {png, gif})
        for (const char* id : {"jpg", "png", "heic", "webp", "leger", "ocr", "detour", "pdf"}) {
            SCOPED_TRACE(QFileInfo(source).fileName().toStdString() + " → " + id);
            echoue(d, {source}, id, {QStringLiteral("« %1 » est trop grand").arg(QFileInfo(source).fileName())});
        }
}
