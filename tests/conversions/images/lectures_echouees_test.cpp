// Pictures whose decoder fails after their header read: every petal says it cannot read the
// source, none makes a black picture of it, blames its output or finds no text in it.

#include "conversions/images/images_fabrique.h"

using namespace essais;

namespace {

const char* const petales[] = {"jpg", "png", "heic", "webp", "pdf", "leger", "ocr", "detour"};

// A 10-bit AVIF (ffmpeg's AV1 still) whose picture is mirrored by an "imir" property, which
// libheif reads for 8-bit pictures only. The property is added to the file's boxes by hand;
// the data the index points at moves by the bytes added before it.
QString avifMiroir(const Dossier& d, const QString& nom)
{
    const QString chemin = d.chemin(nom);
    sortieDe("ffmpeg", {"-v", "error", "-threads", "1", "-f", "lavfi", "-i", "testsrc2=s=64x48", "-frames:v", "1",
                        "-pix_fmt", "yuv420p10le", "-c:v", "libaom-av1", "-cpu-used", "8", "-still-picture", "1",
                        chemin});
    const char* programme = R"(
import struct, sys
d = open(sys.argv[1], 'rb').read()
def lire(o, f):
    r = []
    while o < f:
        t, n = struct.unpack('>I4s', d[o:o + 8])
        tete = 12 if n == b'meta' else 8
        r.append([n, d[o + 8:o + tete], lire(o + tete, o + t) if n in (b'meta', b'iprp', b'ipco') else d[o + tete:o + t]])
        o += t
    return r
def ecrire(b):
    corps = b[2] if isinstance(b[2], bytes) else b''.join(map(ecrire, b[2]))
    return struct.pack('>I4s', 8 + len(b[1]) + len(corps), b[0]) + b[1] + corps
def boite(liste, n): return next(b for b in liste if b[0] == n)
boites = lire(0, len(d))
meta = boite(boites, b'meta')
iprp = boite(meta[2], b'iprp')
ipco, ipma = boite(iprp[2], b'ipco'), boite(iprp[2], b'ipma')
ipco[2].append([b'imir', b'', b'\0'])
p = ipma[2]  # one item: its id, its count of properties, one byte each (essential when 0x80)
assert p[4:8] == b'\0\0\0\1' and p[8:10] == b'\0\1'
ipma[2] = p[:10] + bytes([p[10] + 1]) + p[11:] + bytes([0x80 | len(ipco[2])])
iloc = boite(meta[2], b'iloc')
q = bytearray(iloc[2])
assert q[0] == 0 and q[4] == 0x44 and q[5] == 0  # version 0, 4-byte offsets and lengths, no base
a = 8
for _ in range(struct.unpack('>H', q[6:8])[0]):
    n = struct.unpack('>H', q[a + 4:a + 6])[0]
    a += 6
    for _ in range(n):
        q[a:a + 4] = struct.pack('>I', struct.unpack('>I', q[a:a + 4])[0] + 10)
        a += 8
iloc[2] = bytes(q)
open(sys.argv[1], 'wb').write(b''.join(map(ecrire, boites)))
)";
    sortieDe("python3", {"-c", programme, chemin});
    return chemin;
}

// A GIF of 16 × 16 pixels whose one frame's LZW data holds codes its table does not have yet.
QByteArray gifMauvaisesDonnees()
{
    QByteArray o("GIF89a", 6);
    ajouter(o, quint16(16));
    ajouter(o, quint16(16));
    o.append("\x80\x00\x00" "\x00\x00\x00\xff\xff\xff", 9);  // a global palette of two colours
    o.append(',');
    for (quint16 v : {0, 0, 16, 16})
        ajouter(o, v);
    o.append("\x00\x02\x06\xff\xff\xff\xff\xff\xff\x00;", 11);
    return o;
}

// A colour-mapped TGA (type 1, 8 bits an index) whose header says it has no colour map.
QByteArray tgaSansPalette()
{
    QByteArray o("\x00\x00\x01", 3);
    o.append(QByteArray(5, '\0'));  // no colour map
    for (quint16 v : {0, 0, 16, 8})
        ajouter(o, v);
    o.append("\x08\x20", 2);
    for (int i = 0; i < 16 * 8; ++i)
        o.append(static_cast<char>(i * 7));
    return o;
}

} // namespace

TEST(LecturesEchouees, UnDecodeurEnEchecFaitEchouerChaquePetale)
{
    Dossier d;
    const QString avif = avifMiroir(d, "miroir.avif");
    QString dit;
    QTemporaryDir ailleurs;
    // libvips' own copy goes on, black.
    executer("vips", {"copy", avif, ailleurs.filePath("copie.png")}, &dit);
    EXPECT_TRUE(dit.contains("error in tile")) << dit.toStdString();
    EXPECT_EQ(sortieDe("vips", {"max", ailleurs.filePath("copie.png")}).toDouble(), 0.0);
    const QStringList sources{avif, d.ecrire("donnees.gif", gifMauvaisesDonnees()),
                              d.ecrire("sans-palette.tga", tgaSansPalette())};
    for (const QString& source : sources) {
        const QByteArray octets = lire(source);
        for (const char* id : petales) {
            SCOPED_TRACE(QFileInfo(source).fileName().toStdString() + " → " + id);
            echoue(d, {source}, id, {illisible(QFileInfo(source).fileName())});
        }
        EXPECT_EQ(lire(source), octets);
    }
}

namespace {

// A value of the first directory of a little-endian TIFF: the LONG at index `i` of field `tag`.
quint32 champ(const QByteArray& tiff, quint16 tag, quint32 i)
{
    const quint32 ifd = qFromLittleEndian<quint32>(tiff.constData() + 4);
    const quint16 n = qFromLittleEndian<quint16>(tiff.constData() + ifd);
    for (quint32 e = ifd + 2; e < ifd + 2 + 12u * n; e += 12)
        if (qFromLittleEndian<quint16>(tiff.constData() + e) == tag) {
            const quint32 compte = qFromLittleEndian<quint32>(tiff.constData() + e + 4);
            const quint32 valeurs = compte == 1 ? e + 8 : qFromLittleEndian<quint32>(tiff.constData() + e + 8);
            return qFromLittleEndian<quint32>(tiff.constData() + valeurs + 4 * i);
        }
    return 0;
}

} // namespace

// A tiled Deflate TIFF (made by libtiff's tiffcp) with one tile of noise: every petal blames
// the source, whichever stage of the pipeline saw libtiff's failure.
TEST(LecturesEchouees, UneTuileAbimeeEstUneErreurDeLecture)
{
    Dossier d;
    const QString png = ecrire(d, "texture.png", texture(512, 512, 3));
    const QString tiff = d.chemin("plan.tif");
    const QString tuiles = d.chemin("tuiles.tif");
    sortieDe("vips", {"copy", png, tiff});
    sortieDe("tiffcp", {"-c", "zip", "-t", "-w", "64", "-l", "64", tiff, tuiles});
    QByteArray octets = lire(tuiles);
    QFile::remove(png);
    QFile::remove(tiff);
    QFile::remove(tuiles);
    const quint32 debut = champ(octets, 324, 36), taille = champ(octets, 325, 36);
    ASSERT_GT(taille, 100u);
    octets.replace(debut + 8, taille - 12, QByteArray(taille - 12, '\x55'));
    const QString source = d.ecrire("abimee.tif", octets);
    QString dit;
    QTemporaryDir ailleurs;
    EXPECT_NE(executer("tiffcp", {"-c", "none", source, ailleurs.filePath("copie.tif")}, &dit), 0);
    EXPECT_TRUE(dit.contains("ZIPDecode")) << dit.toStdString();
    for (int essai = 0; essai < 2; ++essai)
        for (const char* id : petales) {
            SCOPED_TRACE(std::to_string(essai) + " " + id);
            echoue(d, {source}, id, {illisible("abimee.tif")});
        }
    EXPECT_EQ(lire(source), octets);
}

// A valid JPEG past the size guard (made by libvips): too large on every petal, the PDF's
// too, which would carry its bytes as they are.
TEST(LecturesEchouees, UnJpegValideTropGrandLeDitPartout)
{
    Dossier d;
    const QString source = d.chemin("geant.jpg");
    sortieDe("vips", {"black", source, "20000", "20000"});
    ASSERT_EQ(champVips(source, "width"), "20000");
    for (const char* id : petales) {
        SCOPED_TRACE(id);
        echoue(d, {source}, id, {"« geant.jpg » est trop grand"});
    }
}

// An animated AVIF (ffmpeg's AV1 sequence, brand "avis", whose primary picture libheif's
// reader shows) converts as the still of its primary picture.
TEST(LecturesEchouees, UnAvifAnimeDonneSonImagePrincipale)
{
    Dossier d;
    const QString source = d.chemin("anime.avif");
    sortieDe("ffmpeg", {"-v", "error", "-threads", "1", "-f", "lavfi", "-i", "color=c=0xC83C28:s=64x48:d=1", "-frames:v",
                        "3", "-pix_fmt", "yuv420p", "-c:v", "libaom-av1", "-cpu-used", "8", source});
    ASSERT_TRUE(lire(source).mid(4, 8) == "ftypavis");
    ASSERT_TRUE(sortieDe("heif-info", {source}).contains("64x48")) << "primary picture";
    for (const char* id : {"jpg", "png", "heic", "webp", "pdf", "leger"}) {
        SCOPED_TRACE(id);
        const QString sortie = convertirSeul(source, id);
        const QImage vue = id == QLatin1String("pdf") ? rendre(sortie, 1) : decoder(sortie);
        ASSERT_EQ(vue.size(), QSize(64, 48));
        const QColor c = vue.pixelColor(32, 24);
        EXPECT_NEAR(c.red(), 200, 12);
        EXPECT_NEAR(c.green(), 60, 12);
        EXPECT_NEAR(c.blue(), 40, 12);
        QFile::remove(sortie);
    }
}
