// Wide-gamut photos (Adobe RGB, as edited photos carry): every output, read through a
// colour-managed reader, shows the colours of the photo's own conversion to sRGB.

#include "conversions/images/images_fabrique.h"

#include <QPainter>
#include <QTemporaryDir>

using namespace essais;

namespace {

const QString adobeRgb = QStringLiteral("/usr/share/color/icc/colord/AdobeRGB1998.icc");

// Saturated patches over the top half, noise below (so a lighter copy is lighter).
QImage patches()
{
    QImage image = texture(320, 240, 3).convertToFormat(QImage::Format_RGB32);
    QPainter p(&image);
    p.fillRect(0, 0, 100, 110, QColor(220, 30, 30));
    p.fillRect(110, 0, 100, 110, QColor(40, 190, 60));
    p.fillRect(220, 0, 100, 110, QColor(30, 50, 210));
    return image;
}

// A red subject on a pale background, for the cut-out.
QImage sujet()
{
    QImage image(320, 240, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient g(0, 0, 0, 240);
    g.setColorAt(0, QColor(205, 220, 240));
    g.setColorAt(1, QColor(240, 242, 248));
    p.fillRect(image.rect(), g);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(220, 30, 30));
    p.drawEllipse(QPoint(160, 125), 80, 90);
    return image;
}

// `image` with its pixels moved into Adobe RGB, the profile embedded (libvips' command line).
QString largeGamme(const Dossier& d, const QString& nom, const QImage& image)
{
    const QString srgb = ecrire(d, QStringLiteral("srgb-") + nom + QStringLiteral(".png"), image);
    const QString cible = d.chemin(nom);
    sortieDe("vips", {"icc_transform", srgb, cible + (nom.endsWith(".jpg") ? "[Q=95]" : ""), adobeRgb,
                      "--input-profile", "srgb"});
    QFile::remove(srgb);
    return cible;
}

// What a colour-managed viewer shows: the pixels through the file's embedded profile
// (sRGB when it has none), or the page drawn by poppler for a PDF.
QImage vue(const QString& fichier)
{
    if (fichier.endsWith(QLatin1String(".pdf")))
        return rendre(fichier, 1).convertToFormat(QImage::Format_ARGB32);
    QTemporaryDir ailleurs;
    const QString png = ailleurs.filePath(QStringLiteral("vue.png"));
    sortieDe("vips", {"icc_transform", fichier, png, "srgb", "--embedded", "--input-profile", "srgb"});
    return QImage(png).convertToFormat(QImage::Format_ARGB32);
}

int ecart(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

// `sortie` at the points, against the photo's own sRGB conversion.
void memesCouleurs(const QString& sortie, const QImage& attendu, const QList<QPoint>& points)
{
    const QImage vu = vue(sortie);
    ASSERT_EQ(vu.size(), attendu.size());
    for (const QPoint& p : points)
        EXPECT_LE(ecart(vu.pixel(p), attendu.pixel(p)), 6)
            << "at " << p.x() << "," << p.y() << ": " << std::hex << vu.pixel(p) << " for " << attendu.pixel(p);
}

TEST(Couleurs, UnePhotoLargeGammeGardeSesCouleursPartout)
{
    Dossier d;
    const QList<QPoint> centres{{50, 55}, {160, 55}, {270, 55}};
    for (const QString& nom : {QStringLiteral("photo.png"), QStringLiteral("photo.jpg"), QStringLiteral("photo.tif")}) {
        const QString source = largeGamme(d, nom, patches());
        const QImage attendu = vue(source);
        // Without colour management the red reads as a dull brown: the test can tell.
        ASSERT_GT(ecart(decoder(source).pixel(50, 55), attendu.pixel(50, 55)), 20);
        for (const char* id : {"jpg", "png", "heic", "webp", "leger", "pdf"}) {
            SCOPED_TRACE(nom.toStdString() + " → " + id);
            memesCouleurs(convertirSeul(source, id), attendu, centres);
        }
    }
    const QString photo = largeGamme(d, QStringLiteral("sujet.png"), sujet());
    SCOPED_TRACE("detour");
    memesCouleurs(convertirSeul(photo, "detour"), vue(photo), {{160, 125}, {150, 100}});
}

// A 32-bit float TIFF holds linear light from 0 to 1, its alpha too: every output shows what
// libvips' own conversion to sRGB gives, none comes out black or transparent.
TEST(Couleurs, UnTiffFlottantGardeSesCouleursPartout)
{
    Dossier d;
    const QString noir = d.chemin("noir.v");
    sortieDe("vips", {"black", noir, "320", "240", "--bands", "4"});
    const QString opaque = d.chemin("flottant.tif");
    sortieDe("vips", {"linear", noir, opaque + "[strip]", "1 1 1 0", "0.5 0.2 0.8 0"});
    sortieDe("vips", {"extract_band", opaque, d.chemin("rvb.tif"), "0", "--n", "3"});
    QFile::remove(opaque);
    QFile::rename(d.chemin("rvb.tif"), opaque);
    const QString alpha = d.chemin("flottant-alpha.tif");
    sortieDe("vips", {"linear", noir, alpha, "1 1 1 1", "0.5 0.2 0.8 1"});
    QFile::remove(noir);
    QTemporaryDir ailleurs;
    const QString srgb = ailleurs.filePath("srgb.png");
    sortieDe("vips", {"colourspace", opaque, srgb, "srgb"});
    const QImage attendu = QImage(srgb).convertToFormat(QImage::Format_ARGB32);
    ASSERT_GT(qRed(attendu.pixel(0, 0)), 150);
    for (const QString& source : {opaque, alpha}) {
        ASSERT_TRUE(champVips(source, "format").contains("FLOAT"));
        for (const char* id : {"jpg", "png", "heic", "webp", "leger", "pdf"}) {
            SCOPED_TRACE(QFileInfo(source).fileName().toStdString() + " → " + id);
            const QString sortie = convertirSeul(source, id);
            memesCouleurs(sortie, attendu, {{10, 10}, {160, 120}});
            EXPECT_EQ(qAlpha(vue(sortie).pixel(10, 10)), 255);
        }
    }
}

// A chart of mid-gamut patches, the first of the second row half transparent.
QImage tableau()
{
    QImage image(120, 80, QImage::Format_ARGB32);
    QPainter p(&image);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    const QColor couleurs[] = {{190, 70, 60}, {80, 150, 90}, {70, 90, 170}, {210, 180, 80, 128}, {128, 128, 128}, {60, 50, 40}};
    for (int i = 0; i < 6; ++i)
        p.fillRect(40 * (i % 3), 40 * (i / 3), 40, 40, couleurs[i]);
    return image;
}

const QList<QPoint> centresDuTableau{{20, 20}, {60, 20}, {100, 20}, {20, 60}, {60, 60}, {100, 60}};

// Lab TIFFs as ImageMagick writes them, of 8 and 16 bits, with alpha and without: every
// output shows the colours and the transparency that ImageMagick reads back from them.
TEST(Couleurs, UnTiffLabGardeSesCouleursEtSaTransparence)
{
    Dossier d;
    const QString png = ecrire(d, "tableau.png", tableau());
    QTemporaryDir ailleurs;
    for (const char* profondeur : {"8", "16"})
        for (const bool alpha : {true, false}) {
            const QString nom = QStringLiteral("lab%1%2.tif").arg(profondeur, alpha ? "a" : "");
            const QString source = d.chemin(nom);
            sortieDe("convert", {png, "-alpha", alpha ? "on" : "off", "-colorspace", "Lab", "-depth", profondeur, source});
            ASSERT_TRUE(sortieDe("tiffinfo", {source}).contains("CIE L*a*b*"));
            const QString relu = ailleurs.filePath(nom + ".png");
            sortieDe("convert", {source, relu});
            const QImage attendu = QImage(relu).convertToFormat(QImage::Format_ARGB32);
            ASSERT_EQ(qAlpha(attendu.pixel(20, 60)), alpha ? 128 : 255);
            for (const char* id : {"jpg", "png", "heic", "webp", "leger", "pdf"}) {
                SCOPED_TRACE(nom.toStdString() + " → " + id);
                const QString sortie = convertirSeul(source, id);
                const QImage vu = vue(sortie);
                ASSERT_EQ(vu.size(), attendu.size());
                for (const QPoint& c : centresDuTableau) {
                    if (alpha && c == QPoint(20, 60))  // half transparent: flattened by some
                        continue;
                    EXPECT_LE(ecart(vu.pixel(c), attendu.pixel(c)), 8) << "at " << c.x() << "," << c.y() << ": "
                                                                       << std::hex << vu.pixel(c) << " for "
                                                                       << attendu.pixel(c);
                }
                if (QString(id) == "png" || QString(id) == "webp") {  // libvips' own reading: 16-bit alpha too
                    EXPECT_NEAR(qAlpha(decoder(sortie).pixel(20, 60)), qAlpha(attendu.pixel(20, 60)), 2);
                }
            }
        }
}

// The chart's patches in Lab (L*, a*, b*, opacity), of `bits` (8 or 16) as TIFF stores them:
// L from 0, a* and b* signed, 16 bits holding 256ths.
Echantillons chartLab(int bits, bool alpha)
{
    const double plusGrand = bits == 8 ? 255 : 65535;
    return {.largeur = 120, .hauteur = 80, .n = alpha ? 4 : 3, .bits = bits, .photometrie = 8, .code = [=](int x, int y, int c) {
                const double patches[6][4] = {{50, 55, 40, 1}, {58, -45, 30, 1}, {42, 15, -50, 1},
                                              {75, 5, 55, 0.5}, {54, 0, 0, 1}, {23, 6, 10, 1}};
                const double* p = patches[x / 40 + 3 * (y / 40)];
                const double echelles[4] = {plusGrand / 100, bits == 8 ? 1.0 : 256.0, bits == 8 ? 1.0 : 256.0, plusGrand};
                return quint32(qint32(std::lround(p[c] * echelles[c])));
            }, .alpha = alpha};
}

// Lab TIFFs of 8 and 16 bits, with alpha and without, in planes of strips or of tiles: every
// output shows the colours and the transparency that ImageMagick reads from their twin of
// interleaved samples (it misreads tiles of planes itself).
TEST(Couleurs, UnTiffLabEnPlansSeparesGardeSesCouleurs)
{
    Dossier d;
    QTemporaryDir ailleurs;
    for (const int bits : {8, 16})
        for (const bool alpha : {true, false}) {
            const QString nom = QStringLiteral("lab%1%2").arg(bits).arg(alpha ? "a" : "");
            const QString relu = ailleurs.filePath(nom + ".png");
            const Echantillons lab = chartLab(bits, alpha);
            sortieDe("convert", {d.ecrire(nom + ".tif", tiffDispose(lab, false)), relu});
            const QImage attendu = QImage(relu).convertToFormat(QImage::Format_ARGB32);
            ASSERT_EQ(qAlpha(attendu.pixel(20, 60)), alpha ? 128 : 255);
            const QString plans = d.ecrire(nom + "-plans.tif", tiffDispose(lab, true));
            const QString tuiles = d.ecrire(nom + "-tuiles.tif", tiffDispose(lab, true, 32));
            for (const QString& source : {plans, tuiles}) {
                ASSERT_TRUE(sortieDe("tiffinfo", {source}).contains("separate image planes"));
                for (const char* id : {"jpg", "png", "heic", "webp", "leger", "pdf"}) {
                    SCOPED_TRACE(QFileInfo(source).fileName().toStdString() + " → " + id);
                    const QString sortie = convertirSeul(source, id);
                    memesCouleurs(sortie, attendu, alpha ? centresDuTableau.mid(0, 3) + centresDuTableau.mid(4)
                                                         : centresDuTableau);
                    if (QString(id) == "png" || QString(id) == "webp") {
                        EXPECT_NEAR(qAlpha(decoder(sortie).pixel(20, 60)), qAlpha(attendu.pixel(20, 60)), 2);
                    }
                }
            }
        }
}

// CMYK of 16 bits, as prepress software writes it: three inks side by side over a grey.
Echantillons encres(int largeur, int hauteur)
{
    return {.largeur = largeur, .hauteur = hauteur, .n = 4, .bits = 16, .photometrie = 5, .code = [=](int x, int y, int c) {
                const quint16 encres[3][4] = {{6000, 60000, 52000, 3000}, {50000, 9000, 58000, 6000}, {58000, 44000, 3000, 5000}};
                return quint32(y < hauteur / 2 ? encres[3 * x / largeur][c] : quint16(c == 3 ? 30000 : 0));
            }};
}

// CMYK TIFFs of separate 16-bit planes and of contiguous bytes (ImageMagick's): every
// output is sRGB, with the colours that libvips' command line gives them through the same
// standard profile.
TEST(Couleurs, UnTiffCmjnSortEnSrgbPartout)
{
    Dossier d;
    const QString plans = d.ecrire("plans16.tif", tiffDispose(encres(300, 200), true));
    ASSERT_TRUE(sortieDe("tiffinfo", {plans}).contains("separate image planes"));
    const QString png = ecrire(d, "patches.png", patches());
    const QString octets = d.chemin("octets.tif");
    sortieDe("convert", {png, "-colorspace", "CMYK", "-depth", "8", octets});
    QFile::remove(png);
    // Flat patches, and the grey below them on the planes.
    const QList<QPoint> points{{50, 55}, {160, 55}, {270, 55}};
    for (const auto& [source, ici] : {std::pair{plans, points + QList<QPoint>{{150, 150}}}, std::pair{octets, points}}) {
        ASSERT_TRUE(champVips(source, "interpretation").contains("CMYK"));
        QTemporaryDir ailleurs;
        const QString srgb = ailleurs.filePath("srgb.png");
        sortieDe("vips", {"icc_transform", source, srgb, "srgb", "--embedded", "--input-profile", "cmyk"});
        const QImage attendu = QImage(srgb).convertToFormat(QImage::Format_ARGB32);
        for (const char* id : {"jpg", "png", "heic", "webp", "leger", "pdf"}) {
            SCOPED_TRACE(QFileInfo(source).fileName().toStdString() + " → " + id);
            const QString sortie = convertirSeul(source, id);
            memesCouleurs(sortie, attendu, ici);
            if (QString(id) != "pdf") {
                EXPECT_EQ(champVips(sortie, "bands"), "3");
            }
        }
    }
}

// CMYK in tiles of planes, which libvips refuses: 8 bits carrying a profile unlike the
// standard one, and 16 bits. Every output shows what libvips' command line gives their
// twin of interleaved samples, through the file's own profile.
TEST(Couleurs, UnTiffCmjnEnTuilesGardeSonProfil)
{
    Dossier d;
    QFile icc(QStringLiteral("/usr/share/color/icc/ghostscript/default_cmyk.icc"));
    ASSERT_TRUE(icc.open(QIODevice::ReadOnly));
    Echantillons octets = encres(300, 200);
    octets.bits = 8;
    octets.code = [seize = encres(300, 200).code](int x, int y, int c) { return seize(x, y, c) / 257; };
    octets.profil = icc.readAll();
    for (const Echantillons& e : {octets, encres(300, 200)}) {
        SCOPED_TRACE(e.bits);
        const QString jumelle = d.ecrire(QStringLiteral("jumelle%1.tif").arg(e.bits), tiffDispose(e, false));
        QTemporaryDir ailleurs;
        const QString srgb = ailleurs.filePath("srgb.png");
        sortieDe("vips", {"icc_transform", jumelle, srgb, "srgb", "--embedded", "--input-profile", "cmyk"});
        const QImage attendu = QImage(srgb).convertToFormat(QImage::Format_ARGB32);
        if (!e.profil.isEmpty()) {  // the file's profile makes a difference the test can see
            const QString standard = ailleurs.filePath("standard.png");
            sortieDe("vips", {"icc_transform", jumelle, standard, "srgb", "--input-profile", "cmyk"});
            ASSERT_GT(ecart(QImage(standard).pixel(160, 55), attendu.pixel(160, 55)), 12);
        }
        const QString tuiles = d.ecrire(QStringLiteral("tuiles%1.tif").arg(e.bits), tiffDispose(e, true, 64));
        for (const char* id : {"jpg", "png", "heic", "webp", "leger", "pdf"}) {
            SCOPED_TRACE(id);
            memesCouleurs(convertirSeul(tuiles, id), attendu, {{50, 55}, {160, 55}, {270, 55}, {150, 150}});
        }
    }
}

} // namespace
