// Pictures libvips does not read (BMP, ICO and TGA made by ImageMagick, a camera DNG made
// by hand) convert like any other; kinds the engine cannot read are offered only the zip.

#include "conversions/images/images_fabrique.h"

#include <QPainter>
#include <QtEndian>
#include <functional>

using namespace essais;

namespace {

QImage quartiers(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    QPainter p(&image);
    p.fillRect(0, 0, w / 2, h, QColor(220, 30, 30));
    p.fillRect(w / 2, 0, w - w / 2, h, QColor(30, 40, 220));
    return image;
}

QString parImageMagick(const Dossier& d, const QString& nom, const QStringList& options = {})
{
    const QString png = ecrire(d, QStringLiteral("modele.png"), quartiers(60, 40));
    sortieDe("convert", QStringList{png} + options + QStringList{d.chemin(nom)});
    QFile::remove(png);
    return d.chemin(nom);
}

// A linear DNG (three colours per pixel, 16 bits, sRGB primaries) of `image`, with an
// EXIF orientation, written field by field.
QByteArray dng(const QImage& image, quint16 orientation)
{
    const quint32 w = static_cast<quint32>(image.width()), h = static_cast<quint32>(image.height());
    auto court = [](quint16 v) { QByteArray o; ajouter(o, v); return o; };
    auto long_ = [](quint32 v) { QByteArray o; ajouter(o, v); return o; };
    auto rationnels = [](const QList<double>& v) {
        QByteArray o;
        for (double x : v) {
            ajouter(o, static_cast<qint32>(x * 10000));
            ajouter(o, qint32(10000));
        }
        return o;
    };
    QByteArray pixels;
    for (quint32 y = 0; y < h; ++y)
        for (quint32 x = 0; x < w; ++x) {
            const QColor c = image.pixelColor(int(x), int(y));
            for (double v : {c.redF(), c.greenF(), c.blueF()})  // linear light, roughly
                ajouter(pixels, static_cast<quint16>(std::pow(v, 2.2) * 65535));
        }
    const QList<ChampTiff> champs{
        {254, 4, 1, long_(0)}, {256, 4, 1, long_(w)}, {257, 4, 1, long_(h)},
        {258, 3, 3, court(16) + court(16) + court(16)}, {259, 3, 1, court(1)}, {262, 3, 1, court(34892)},
        {271, 2, 5, "Vemo\0"}, {272, 2, 5, "Test\0"}, {273, 4, 1, {}}, {274, 3, 1, court(orientation)},
        {277, 3, 1, court(3)}, {278, 4, 1, long_(h)}, {279, 4, 1, long_(quint32(pixels.size()))},
        {284, 3, 1, court(1)}, {50706, 1, 4, QByteArray("\x01\x04\x00\x00", 4)},
        {50708, 2, 10, "Vemo Test\0"},
        {50721, 10, 9, rationnels({3.2406, -1.5372, -0.4986, -0.9689, 1.8758, 0.0415, 0.0557, -0.2040, 1.0570})},
        {50728, 5, 3, rationnels({1, 1, 1})}, {50778, 3, 1, court(21)}};
    return tiffDeChamps(champs, pixels);
}

// A linear DNG of 640 × 480 pixels in lossless JPEG tiles of 256 pixels, each said to lie past
// the file's end: the file declares its data and holds none of it.
QByteArray dngSansDonnees()
{
    constexpr quint32 w = 640, h = 480, cote = 256;
    constexpr quint32 tuiles = ((w + cote - 1) / cote) * ((h + cote - 1) / cote);
    auto court = [](quint16 v) { QByteArray o; ajouter(o, v); return o; };
    auto long_ = [](quint32 v) { QByteArray o; ajouter(o, v); return o; };
    QByteArray debuts, tailles;
    for (quint32 i = 0; i < tuiles; ++i) {
        ajouter(debuts, quint32(1u << 24) + i * 65536);
        ajouter(tailles, quint32(65536));
    }
    QByteArray unite;
    for (int i = 0; i < 3; ++i) {
        ajouter(unite, qint32(1));
        ajouter(unite, qint32(1));
    }
    QByteArray matrice;
    for (qint32 v : {32406, -15372, -4986, -9689, 18758, 415, 557, -2040, 10570}) {
        ajouter(matrice, v);
        ajouter(matrice, qint32(10000));
    }
    const QList<ChampTiff> champs{
        {254, 4, 1, long_(0)}, {256, 4, 1, long_(w)}, {257, 4, 1, long_(h)},
        {258, 3, 3, court(16) + court(16) + court(16)}, {259, 3, 1, court(7)}, {262, 3, 1, court(34892)},
        {271, 2, 5, "Vemo\0"}, {272, 2, 5, "Test\0"}, {277, 3, 1, court(3)}, {284, 3, 1, court(1)},
        {322, 4, 1, long_(cote)}, {323, 4, 1, long_(cote)}, {324, 4, tuiles, debuts}, {325, 4, tuiles, tailles},
        {50706, 1, 4, QByteArray("\x01\x04\x00\x00", 4)}, {50708, 2, 10, "Vemo Test\0"},
        {50721, 10, 9, matrice}, {50728, 5, 3, unite}, {50778, 3, 1, court(21)}};
    return tiffDeChamps(champs, QByteArray());
}

bool rougeAuDessusDeBleu(const QImage& image)
{
    const QRgb haut = image.pixel(image.width() / 2, image.height() / 4);
    const QRgb bas = image.pixel(image.width() / 2, 3 * image.height() / 4);
    return qRed(haut) > qBlue(haut) + 60 && qBlue(bas) > qRed(bas) + 60;
}

TEST(AutresFormats, BmpIcoTgaEtRawSeConvertissent)
{
    Dossier d;
    struct Cas {
        QString source;
        QSize taille;
    };
    const QList<Cas> cas{
        {parImageMagick(d, "image.bmp"), {60, 40}},
        {parImageMagick(d, "image.tga"), {60, 40}},
        // An icon of two sizes: the larger one is read.
        {parImageMagick(d, "icone.ico", {"-define", "icon:auto-resize=16,48"}), {48, 48}},
        // Orientation 6: the photo stands upright, red on top.
        {d.ecrire("photo.dng", dng(quartiers(60, 40), 6)), {40, 60}},
    };
    for (const Cas& c : cas) {
        for (const char* id : {"png", "jpg", "webp", "pdf"}) {
            SCOPED_TRACE(QFileInfo(c.source).fileName().toStdString() + " → " + id);
            const QString sortie = convertirSeul(c.source, id);
            const QImage vue = QString(id) == "pdf" ? rendre(sortie, 1) : decoder(sortie);
            EXPECT_EQ(vue.size(), c.taille);
            if (c.source.endsWith(".dng")) {
                EXPECT_TRUE(rougeAuDessusDeBleu(vue));
            } else {
                const QRgb gauche = vue.pixel(vue.width() / 4, vue.height() / 2);
                EXPECT_GT(qRed(gauche), 180);
                EXPECT_LT(qBlue(gauche), 80);
            }
        }
    }
}

// A 24-bit icon of `image` (one picture, a bitmap with its AND mask), transparent where
// `transparent` says: 24 bits hold no alpha, the mask alone says what shows.
QByteArray ico24(const QImage& image, const std::function<bool(int, int)>& transparent)
{
    const int w = image.width(), h = image.height();
    QByteArray bitmap;
    for (quint32 v : {40u, quint32(w), quint32(2 * h)})
        ajouter(bitmap, v);
    ajouter(bitmap, quint16(1));
    ajouter(bitmap, quint16(24));
    bitmap.append(QByteArray(24, '\0'));
    const int pas = (w * 3 + 3) / 4 * 4, pasMasque = (w + 31) / 32 * 4;
    for (int y = h - 1; y >= 0; --y) {  // rows stored from the bottom
        for (int x = 0; x < w; ++x)
            bitmap.append(char(qBlue(image.pixel(x, y)))).append(char(qGreen(image.pixel(x, y)))).append(char(qRed(image.pixel(x, y))));
        bitmap.append(QByteArray(pas - 3 * w, '\0'));
    }
    for (int y = h - 1; y >= 0; --y) {
        QByteArray ligne(pasMasque, '\0');
        for (int x = 0; x < w; ++x)
            if (transparent(x, y))
                ligne[x / 8] = char(ligne[x / 8] | (0x80 >> (x % 8)));
        bitmap += ligne;
    }
    QByteArray ico;
    for (quint16 v : {0, 1, 1})
        ajouter(ico, v);
    ico.append(char(w)).append(char(h)).append('\0').append('\0');
    ajouter(ico, quint16(1));
    ajouter(ico, quint16(24));
    ajouter(ico, quint32(bitmap.size()));
    ajouter(ico, quint32(22));
    return ico + bitmap;
}

// An icon of 24 bits keeps the transparency of its mask: its corners are as transparent as
// ImageMagick reads them, in the PNG and in the lighter copy.
TEST(AutresFormats, LeMasqueDUneIconeDeVingtQuatreBitsEstHonore)
{
    Dossier d;
    const auto coin = [](int x, int y) { return (x < 6 || x >= 26) && (y < 6 || y >= 26); };
    const QString icone = d.ecrire("icone.ico", ico24(quartiers(32, 32), coin));
    const QImage attendue = decoder(
        sortieDe("sh", {"-c", "convert \"$0\" \"$0.png\" && echo \"$0.png\"", icone}).trimmed());
    QFile::remove(icone + ".png");
    ASSERT_EQ(attendue.size(), QSize(32, 32));
    ASSERT_EQ(qAlpha(attendue.pixel(0, 0)), 0);
    for (const char* id : {"png", "leger"}) {
        SCOPED_TRACE(id);
        const QString sortie = convertirSeul(icone, id);
        EXPECT_TRUE(sortie.endsWith(".png"));
        const QImage vue = decoder(sortie);
        ASSERT_EQ(vue.size(), attendue.size());
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const QColor v = vue.pixelColor(x, y), a = attendue.pixelColor(x, y);
                ASSERT_EQ(v.alpha(), a.alpha()) << x << "," << y;
                if (a.alpha() == 255) {  // ImageMagick rounds a level or so
                    ASSERT_NEAR(v.red(), a.red(), 2) << x << "," << y;
                    ASSERT_NEAR(v.green(), a.green(), 2) << x << "," << y;
                    ASSERT_NEAR(v.blue(), a.blue(), 2) << x << "," << y;
                }
            }
    }
}

// A camera file whose sensor data is missing or cut short is refused on every petal, never
// turned into a black picture, an empty text or an absent subject.
TEST(AutresFormats, UnRawSansSesDonneesEstRefusePartout)
{
    Dossier d;
    const QString vide = d.ecrire("vide.dng", dngSansDonnees());
    const QByteArray entier = dng(quartiers(60, 40), 1);
    const QString coupe = d.ecrire("coupe.dng", entier.left(entier.size() - 60 * 40 * 3));
    for (const QString& source : {vide, coupe})
        for (const char* id : {"jpg", "png", "webp", "heic", "pdf", "leger", "ocr", "detour"}) {
            SCOPED_TRACE(QFileInfo(source).fileName().toStdString() + " → " + id);
            echoue(d, {source}, id, {illisible(QFileInfo(source).fileName())});
        }
}

// An OS/2 2.x BMP of 8-bit palette (red, blue, then black), 8 × 6 pixels, red on the left
// half, blue on the right, whose info header holds its first `entete` bytes (16 to 64).
QByteArray bmpOs2(quint32 entete)
{
    QByteArray info;
    for (quint32 v : {entete, 8u, 6u})
        ajouter(info, v);
    ajouter(info, quint16(1));
    ajouter(info, quint16(8));
    for (quint32 v : {0u, 48u, 2835u, 2835u, 0u, 0u})  // no compression, every colour
        ajouter(info, v);
    info = info.leftJustified(qsizetype(entete), '\0', true);
    const QByteArray palette = QByteArray("\x00\x00\xff\x00\xff\x00\x00\x00", 8).leftJustified(1024, '\0');
    QByteArray pixels;
    for (int y = 0; y < 6; ++y)
        pixels += QByteArray(4, '\0') + QByteArray(4, '\1');
    QByteArray o("BM");
    ajouter(o, quint32(14 + entete + 1024 + 48));
    ajouter(o, quint32(0));
    ajouter(o, quint32(14 + entete + 1024));
    return o + info + palette + pixels;
}

// OS/2 2.x cuts its header where it likes: every size reads (the colours ImageMagick gives the
// one it reads), as the full header does.
TEST(AutresFormats, UnBmpOs2DEnteteCourteSeLit)
{
    Dossier d;
    for (quint32 entete : {16u, 24u, 36u, 64u}) {
        SCOPED_TRACE(entete);
        const QString bmp = d.ecrire(QStringLiteral("os2-%1.bmp").arg(entete), bmpOs2(entete));
        const QImage vue = decoder(convertirSeul(bmp, "png"));
        ASSERT_EQ(vue.size(), QSize(8, 6));
        EXPECT_EQ(vue.pixel(1, 2), qRgb(255, 0, 0));
        EXPECT_EQ(vue.pixel(6, 2), qRgb(0, 0, 255));
        if (entete == 24) {
            const QImage attendue = decoder(
                sortieDe("sh", {"-c", "convert \"$0\" \"$0.png\" && echo \"$0.png\"", bmp}).trimmed());
            EXPECT_EQ(vue.pixel(1, 2), attendue.pixel(1, 2));
            EXPECT_EQ(vue.pixel(6, 2), attendue.pixel(6, 2));
            QFile::remove(bmp + ".png");
        }
    }
}

TEST(AutresFormats, LesGardesDeTailleEtDeContenuValentAussi)
{
    Dossier d;
    // A BMP header claiming 18000 × 18000 pixels, and a PNG named like a BMP: the BMP
    // reader alone is asked, never one guessed from the contents.
    QByteArray bmp("BM", 2);
    for (quint32 v : {0u, 0u, 54u, 40u, 18000u, 18000u})
        ajouter(bmp, v);
    ajouter(bmp, quint16(1));
    ajouter(bmp, quint16(24));
    bmp.append(QByteArray(24, '\0'));
    const QString geant = d.ecrire("geant.bmp", bmp);
    const QString deguise = d.ecrire("deguise.bmp", lire(ecrire(d, "vrai.png", quartiers(8, 8))));
    const QString faux = d.ecrire("faux.dng", "II*\0 pas une photo");
    for (const QString& source : {geant, deguise, faux})
        for (const char* id : {"png", "leger", "pdf"})
            echoue(d, {source}, id, {illisible(QFileInfo(source).fileName())});
}

TEST(AutresFormats, SeulesLesImagesLuesOntLesPetalesDImage)
{
    const auto ids = [](const char* nom) {
        QStringList l;
        for (const Conversions::Petale& p : Conversions::petales({QStringLiteral("/nulle/part/") + nom}))
            l << p.id;
        return l.join(' ');
    };
    for (const char* nom : {"a.bmp", "a.ico", "a.tga", "a.dng", "a.CR2", "a.nef", "a.arw", "a.cr3"})
        EXPECT_EQ(ids(nom), "jpg png heic webp pdf leger ocr detour") << nom;
    for (const char* nom : {"a.psd", "a.svg", "a.jxl", "a.xcf", "a.jp2"})
        EXPECT_EQ(ids(nom), "zip") << nom;
}

} // namespace
