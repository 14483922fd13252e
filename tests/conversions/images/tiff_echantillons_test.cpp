// TIFFs whose samples are neither bytes nor words (12-bit scans, half floats from renderers):
// every petal shows what libvips' command line reads from the same picture stored in 16-bit
// integers or 32-bit floats, none comes out black or dark.

#include "conversions/images/images_fabrique.h"

#include <QFloat16>
#include <cmath>
#include <QRandomGenerator>
#include <QtEndian>

using namespace essais;

namespace {

enum Photometrie : quint16 { blancANul = 0, noirANul = 1, rvb = 2 };

struct Trame {
    int largeur, hauteur, parPixel, bits;
    bool flottant;
    Photometrie photometrie;
    QList<double> echantillons;  // codes of `bits` bits, or float values, as stored
    bool signe = false;          // integers in two's complement
};

// Rows of samples as a TIFF stores them: floats in little-endian, integers of 8, 16 or 32
// bits likewise, other widths packed from the high bit, each row from a new byte. With
// `prediction`, each sample is stored as its difference from its left neighbour's.
QByteArray rangees(const Trame& t, bool prediction)
{
    QByteArray o;
    const quint32 masque = t.bits >= 32 ? ~0u : (1u << t.bits) - 1;
    for (int y = 0; y < t.hauteur; ++y) {
        quint64 tampon = 0;
        int enAttente = 0;
        for (int i = 0; i < t.largeur * t.parPixel; ++i) {
            const double v = t.echantillons[y * t.largeur * t.parPixel + i];
            if (t.flottant && t.bits == 16) {
                ajouter(o, qfloat16(float(v)));
                continue;
            }
            if (t.flottant) {
                ajouter(o, float(v));
                continue;
            }
            quint32 code = quint32(qint64(v)) & masque;
            if (prediction && i >= t.parPixel)
                code = (code - quint32(t.echantillons[y * t.largeur * t.parPixel + i - t.parPixel])) & masque;
            if (t.bits == 16) {
                ajouter(o, quint16(code));
                continue;
            }
            if (t.bits == 32) {
                ajouter(o, code);
                continue;
            }
            tampon = (tampon << t.bits) | code;
            for (enAttente += t.bits; enAttente >= 8; enAttente -= 8)
                o.append(char(tampon >> (enAttente - 8)));
        }
        if (enAttente > 0)
            o.append(char(tampon << (8 - enAttente)));
    }
    return o;
}

// One strip, compressed with deflate when `prediction` (libtiff applies a predictor only
// under a compression), written field by field.
QByteArray tiff(const Trame& t, bool prediction = false, quint16 orientation = 1)
{
    QByteArray pixels = rangees(t, prediction);
    if (prediction)
        pixels = qCompress(pixels).mid(4);  // a bare zlib stream
    auto courts = [](int n, quint16 v) { QByteArray o; for (int i = 0; i < n; ++i) ajouter(o, v); return o; };
    auto long_ = [](quint32 v) { QByteArray o; ajouter(o, v); return o; };
    const auto w = quint32(t.largeur), h = quint32(t.hauteur), n = quint32(t.parPixel);
    QList<ChampTiff> champs{{256, 4, 1, long_(w)}, {257, 4, 1, long_(h)}, {258, 3, n, courts(t.parPixel, quint16(t.bits))},
                            {259, 3, 1, courts(1, prediction ? 8 : 1)}, {262, 3, 1, courts(1, t.photometrie)},
                            {273, 4, 1, {}}, {274, 3, 1, courts(1, orientation)}, {277, 3, 1, courts(1, quint16(n))}, {278, 4, 1, long_(h)},
                            {279, 4, 1, long_(quint32(pixels.size()))}, {284, 3, 1, courts(1, 1)}};
    if (prediction)
        champs.append({317, 3, 1, courts(1, 2)});
    if (t.parPixel == 2 || t.parPixel == 4)
        champs.append({338, 3, 1, courts(1, 2)});  // unassociated alpha
    champs.append({339, 3, n, courts(t.parPixel, t.flottant ? 3 : t.signe ? 2 : 1)});
    return tiffDeChamps(champs, pixels);
}

// What libvips' command line shows of a TIFF, upright, in 8-bit sRGB.
QImage vueVips(const QString& tif)
{
    QTemporaryDir ailleurs;
    sortieDe("vips", {"autorot", tif, ailleurs.filePath("droite.v")});
    sortieDe("vips", {"colourspace", ailleurs.filePath("droite.v"), ailleurs.filePath("vue.png"), "srgb"});
    return QImage(ailleurs.filePath("vue.png")).convertToFormat(QImage::Format_ARGB32);
}

QImage vue(const QString& sortie)
{
    return (sortie.endsWith(".pdf") ? rendre(sortie, 1) : decoder(sortie)).convertToFormat(QImage::Format_ARGB32);
}

int ecart(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

// The mean of each colour over the picture.
std::array<double, 3> moyennes(const QImage& image)
{
    std::array<double, 3> m{};
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            m[0] += qRed(p), m[1] += qGreen(p), m[2] += qBlue(p);
        }
    for (double& v : m)
        v /= double(image.width()) * image.height();
    return m;
}

// Every petal of `source` against the reference: the same means on all, the same pixels
// on the lossless PNG.
void commeLaReference(const QString& source, const QImage& attendu)
{
    const auto enAttente = moyennes(attendu);
    for (const char* id : {"png", "jpg", "heic", "webp", "leger", "pdf"}) {
        SCOPED_TRACE(QFileInfo(source).fileName().toStdString() + " → " + id);
        const QImage vu = vue(convertirSeul(source, id));
        ASSERT_EQ(vu.size(), attendu.size());
        const auto m = moyennes(vu);
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(m[c], enAttente[c], 3.0) << "channel " << c;
        if (QString(id) != "png")
            continue;
        int pire = 0;
        for (int y = 0; y < vu.height(); ++y)
            for (int x = 0; x < vu.width(); ++x)
                pire = std::max(pire, ecart(vu.pixel(x, y), attendu.pixel(x, y)));
        EXPECT_LE(pire, 1);
        EXPECT_EQ(qAlpha(vu.pixel(0, 0)), 255);
    }
}

// 12-bit greys: a ramp over the width with noise, so that a predictor undone wrong shows.
Trame gris12(Photometrie photometrie)
{
    Trame t{96, 64, 1, 12, false, photometrie, {}};
    QRandomGenerator g(7);
    for (int y = 0; y < t.hauteur; ++y)
        for (int x = 0; x < t.largeur; ++x)
            t.echantillons.append(std::clamp(x * 4095 / (t.largeur - 1) + g.bounded(-300, 300), 0, 4095));
    return t;
}

// The same codes in 16 bits, as every reader knows them.
Trame en16Bits(Trame t)
{
    const double plusGrand = (1 << t.bits) - 1;
    t.bits = 16;
    for (double& v : t.echantillons)
        v = std::round(v * 65535 / plusGrand);
    return t;
}

// The same 8-bit codes stored at another width or sign over the type's whole range: a
// signed one from its most negative value.
Trame stockee(Trame t, int bits, bool signe)
{
    const double valeurs = std::pow(2.0, bits);
    t.bits = bits;
    t.signe = signe;
    for (double& v : t.echantillons)
        v = std::round(v * (valeurs - 1) / 255) - (signe ? valeurs / 2 : 0);
    return t;
}

TEST(TiffEchantillons, DouzeBitsSeLisentCommeSeizeBits)
{
    Dossier d;
    for (Photometrie p : {noirANul, blancANul}) {
        const Trame t = gris12(p);
        const QImage attendu = vueVips(d.ecrire(QStringLiteral("ref%1.tif").arg(p), tiff(en16Bits(t))));
        // The reference is no flat grey: white on one side for black-is-zero, black for white.
        ASSERT_GT(std::abs(qRed(attendu.pixel(95, 10)) - qRed(attendu.pixel(0, 10))), 150);
        commeLaReference(d.ecrire(QStringLiteral("scan%1.tif").arg(p), tiff(t)), attendu);
        commeLaReference(d.ecrire(QStringLiteral("predit%1.tif").arg(p), tiff(t, true)), attendu);
    }
    // Colour in 12 bits: red on the left, blue on the right.
    Trame c{40, 30, 3, 12, false, rvb, {}};
    for (int y = 0; y < c.hauteur; ++y)
        for (int x = 0; x < c.largeur; ++x)
            c.echantillons << (x < 20 ? 4000 : 300) << 1200 << (x < 20 ? 200 : 3900);
    commeLaReference(d.ecrire("couleur.tif", tiff(c, true)), vueVips(d.ecrire("couleur16.tif", tiff(en16Bits(c)))));
    // Turned a quarter by its orientation tag, as libvips turns the 16-bit one.
    const QImage tournee = vueVips(d.ecrire("tournee16.tif", tiff(en16Bits(c), false, 6)));
    ASSERT_EQ(tournee.size(), QSize(30, 40));
    commeLaReference(d.ecrire("tournee.tif", tiff(c, false, 6)), tournee);
}

TEST(TiffEchantillons, LesDemiFlottantsSeLisentCommeLesFlottants)
{
    Dossier d;
    Trame blanc{64, 48, 3, 16, true, rvb, QList<double>(64 * 48 * 3, 1.0)};
    Trame alea{64, 48, 3, 16, true, rvb, {}};
    QRandomGenerator g(3);
    for (int i = 0; i < 64 * 48 * 3; ++i)  // stored as halves: the reference gets the same values
        alea.echantillons.append(float(qfloat16(float(0.38 + 0.62 * g.generateDouble()))));
    for (const auto& [nom, t] : {std::pair{"blanc.tif", blanc}, std::pair{"alea.tif", alea}}) {
        Trame flottants = t;
        flottants.bits = 32;
        const QImage attendu = vueVips(d.ecrire("ref.tif", tiff(flottants)));
        ASSERT_GT(moyennes(attendu)[0], 150);
        commeLaReference(d.ecrire(nom, tiff(t)), attendu);
        QFile::remove(d.chemin("ref.tif"));
    }
    // Grey, in halves and in 32-bit floats: the light of the same grey in colour.
    Trame gris{64, 48, 1, 16, true, noirANul, {}};
    Trame enCouleur{64, 48, 3, 32, true, rvb, {}};
    for (int i = 0; i < 64 * 48; ++i) {
        gris.echantillons.append(alea.echantillons[3 * i]);
        enCouleur.echantillons << alea.echantillons[3 * i] << alea.echantillons[3 * i] << alea.echantillons[3 * i];
    }
    const QImage attendu = vueVips(d.ecrire("gris-ref.tif", tiff(enCouleur)));
    commeLaReference(d.ecrire("gris16.tif", tiff(gris)), attendu);
    gris.bits = 32;
    commeLaReference(d.ecrire("gris32.tif", tiff(gris)), attendu);
}

// Integers of 32 bits and signed ones (as ImageMagick writes them: black at the most
// negative value), of min-is-white too: read as their 8-bit twin, none thresholded nor half
// as bright.
TEST(TiffEchantillons, LesEntiersSeLisentSurTouteLeurEtendue)
{
    Dossier d;
    Trame octets{96, 48, 1, 8, false, noirANul, {}};
    QRandomGenerator g(11);
    for (int y = 0; y < octets.hauteur; ++y)
        for (int x = 0; x < octets.largeur; ++x)
            octets.echantillons.append(std::clamp(x * 255 / (octets.largeur - 1) + g.bounded(-20, 20), 0, 255));
    const QImage attendu = vueVips(d.ecrire("octets.tif", tiff(octets)));
    ASSERT_GT(qRed(attendu.pixel(95, 10)) - qRed(attendu.pixel(0, 10)), 200);
    for (const auto& [bits, signe] : {std::pair{32, false}, std::pair{16, true}, std::pair{8, true}})
        commeLaReference(d.ecrire(QStringLiteral("entiers%1%2.tif").arg(bits).arg(signe ? "s" : ""),
                                  tiff(stockee(octets, bits, signe))),
                         attendu);
    Trame retournee = octets;
    for (double& v : retournee.echantillons)
        v = 255 - v;
    for (const int bits : {16, 32}) {
        Trame blanc = stockee(retournee, bits, true);
        blanc.photometrie = blancANul;
        commeLaReference(d.ecrire(QStringLiteral("blanc%1s.tif").arg(bits), tiff(blanc)), attendu);
    }
}

// The light of a grey in RGB 32-bit floats, as libvips reads it: 1 − v where white is zero.
Trame enCouleurs(const Trame& gris)
{
    Trame c{gris.largeur, gris.hauteur, 3, 32, true, rvb, {}};
    for (const double v : gris.echantillons) {
        const double l = gris.photometrie == blancANul ? 1.0 - v : v;
        c.echantillons << l << l << l;
    }
    return c;
}

// Floats of min-is-white, 16 or 32 bits: turned over, as their kin of min-is-black read.
TEST(TiffEchantillons, LesFlottantsBlancANulSontRetournes)
{
    Dossier d;
    Trame gris{64, 48, 1, 32, true, blancANul, {}};
    QRandomGenerator g(5);
    for (int i = 0; i < 64 * 48; ++i)  // stored as halves too: the reference gets the same values
        gris.echantillons.append(float(qfloat16(float(0.05 + 0.6 * g.generateDouble() + 0.3 * (i % 64) / 63.0))));
    const QImage attendu = vueVips(d.ecrire("inverse.tif", tiff(enCouleurs(gris))));
    commeLaReference(d.ecrire("blanc32.tif", tiff(gris)), attendu);
    gris.bits = 16;
    commeLaReference(d.ecrire("blanc16.tif", tiff(gris)), attendu);
}

// RGB in three planes, in strips or tiles, as libtiff lays them out, and RGBA of 4 bits a
// sample: read as their contiguous and 16-bit twins are, transparency included.
TEST(TiffEchantillons, PlansSeparesEtQuatreBitsSeLisent)
{
    Dossier d;
    const QString png = ecrire(d, "texture.png", texture(80, 60, 4));
    const QString contigu = d.chemin("contigu.tif");
    sortieDe("vips", {"copy", png, contigu});
    const QString plans = d.chemin("plans.tif");
    sortieDe("tiffcp", {"-p", "separate", "-r", "16", contigu, plans});
    ASSERT_TRUE(sortieDe("tiffinfo", {plans}).contains("separate image planes"));
    commeLaReference(plans, vueVips(contigu));
    const QString tuiles = d.chemin("tuiles.tif");  // libvips refuses this layout
    sortieDe("tiffcp", {"-p", "separate", "-t", "-w", "32", "-l", "32", contigu, tuiles});
    ASSERT_TRUE(sortieDe("tiffinfo", {tuiles}).contains("Tile Width: 32"));
    commeLaReference(tuiles, vueVips(contigu));

    Trame rvba{48, 32, 4, 4, false, rvb, {}};
    for (int y = 0; y < rvba.hauteur; ++y)
        for (int x = 0; x < rvba.largeur; ++x)
            rvba.echantillons << x / 3 << (x / 3 + y / 8) % 16 << 15 - x / 4 % 16 << 15;
    commeLaReference(d.ecrire("rvba.tif", tiff(rvba)), vueVips(d.ecrire("rvba16.tif", tiff(en16Bits(rvba)))));
    // Half transparent on the right: the PNG keeps what the 16-bit twin holds.
    for (int i = 0; i < rvba.echantillons.size(); i += 4)
        if ((i / 4) % rvba.largeur >= 24)
            rvba.echantillons[i + 3] = 7;
    const QImage attendu = vueVips(d.ecrire("translucide16.tif", tiff(en16Bits(rvba))));
    ASSERT_EQ(qAlpha(attendu.pixel(40, 10)), 119);
    const QImage vu = vue(convertirSeul(d.ecrire("translucide.tif", tiff(rvba)), "png"));
    for (const QPoint p : {QPoint(5, 5), QPoint(40, 10), QPoint(30, 30)})
        EXPECT_EQ(qAlpha(vu.pixel(p)), qAlpha(attendu.pixel(p))) << p.x() << "," << p.y();
}

} // namespace

namespace {

// RGBA of `bits` (8 or 16) with unassociated alpha: colour ramps, opaque above, alpha from 1
// to 63 below, where colours premultiplied would come out dark.
Echantillons rvbaDetache(int bits)
{
    const quint32 echelle = bits == 8 ? 1 : 257;
    return {.largeur = 96, .hauteur = 64, .n = 4, .bits = bits, .photometrie = 2, .code = [=](int x, int y, int c) {
                const int v[4] = {x * 255 / 95, 220 - y * 2, 60 + (x + y) % 120, y < 32 ? 255 : 1 + (x * 2 + y) % 63};
                return quint32(v[c]) * echelle;
            }, .alpha = true};
}

} // namespace

// Tiles of separate planes, which libvips refuses: RGBA keeps its colours where alpha is low
// (the PNG holds its contiguous twin's pixels), a half-float grey of min-is-white is turned
// over as its 32-bit float kin.
TEST(TiffEchantillons, LesTuilesDePlansSeLisentCommeLeursJumelles)
{
    Dossier d;
    for (const int bits : {8, 16}) {
        SCOPED_TRACE(bits);
        const Echantillons rvba = rvbaDetache(bits);
        const QImage attendu = vueVips(d.ecrire(QStringLiteral("jumelle%1.tif").arg(bits), tiffDispose(rvba, false)));
        ASSERT_EQ(qAlpha(attendu.pixel(10, 40)), rvba.code(10, 40, 3) / (bits == 8 ? 1 : 257));
        const QString tuiles = d.ecrire(QStringLiteral("tuiles%1.tif").arg(bits), tiffDispose(rvba, true, 32));
        const QImage vu = vue(convertirSeul(tuiles, "png"));
        ASSERT_EQ(vu.size(), attendu.size());
        int pire = 0;
        for (int y = 0; y < vu.height(); ++y)
            for (int x = 0; x < vu.width(); ++x)
                pire = std::max({pire, ecart(vu.pixel(x, y), attendu.pixel(x, y)),
                                 std::abs(qAlpha(vu.pixel(x, y)) - qAlpha(attendu.pixel(x, y)))});
        EXPECT_LE(pire, 1);
        // Cut in its last tile: refused, nothing written.
        const QByteArray entier = lire(tuiles);
        const QString coupe = d.ecrire(QStringLiteral("coupe%1.tif").arg(bits), entier.left(entier.size() - 100));
        echoue(d, {coupe}, "png", {illisible(QFileInfo(coupe).fileName())});
    }
    Trame gris{128, 48, 1, 32, true, blancANul, {}};
    QRandomGenerator g(9);
    for (int i = 0; i < gris.largeur * gris.hauteur; ++i)  // values halves hold exactly
        gris.echantillons.append(float(qfloat16(float(0.05 + 0.5 * g.generateDouble() + 0.4 * (i % 128) / 127.0))));
    const QImage attendu = vueVips(d.ecrire("inverse.tif", tiff(enCouleurs(gris))));
    const Echantillons demis{.largeur = gris.largeur, .hauteur = gris.hauteur, .n = 1, .bits = 16, .photometrie = blancANul,
                             .code = [&](int x, int y, int) {
                                 return quint32(std::bit_cast<quint16>(qfloat16(float(gris.echantillons[y * gris.largeur + x]))));
                             }, .sorte = 3};
    commeLaReference(d.ecrire("demis-tuiles.tif", tiffDispose(demis, true, 32)), attendu);
}
