// WebP encoding: what reaches the encoder, read back by libwebp's own decoder tool.

#include "images_echantillons.h"

#include "conversions/Images.h"
#include "conversions/WebP.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Conversions;
using namespace echantillons;

namespace {

// The first pixel of WebP data, decoded by dwebp into PAM (straight RGBA).
QColor premierPixel(const QByteArray& webpDonnees)
{
    QTemporaryDir dir;
    const QString entree = dir.filePath("x.webp");
    const QString sortie = dir.filePath("x.pam");
    QFile f(entree);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(webpDonnees);
    f.close();
    sortieDe("dwebp", {entree, "-pam", "-o", sortie});
    QFile pam(sortie);
    EXPECT_TRUE(pam.open(QIODevice::ReadOnly));
    const QByteArray octets = pam.readAll();
    const qsizetype debut = octets.indexOf("ENDHDR\n") + 7;
    if (debut < 7 || octets.size() < debut + 4)
        return {};
    const auto o = [&](int k) { return static_cast<quint8>(octets[debut + k]); };
    return QColor(o(0), o(1), o(2), o(3));
}

} // namespace

TEST(ImagesWebP, DepremultiplicationEntiere)
{
    std::uint8_t pixels[] = {64, 32, 0, 128,    // half transparent
                             0, 0, 0, 0,        // fully transparent keeps its zeros
                             10, 20, 30, 255,   // opaque untouched
                             200, 1, 3, 100,    // colour above alpha: clamped to 255
                             1, 1, 1, 1};
    depremultiplier(pixels, 5);
    const std::uint8_t attendus[] = {127, 63, 0, 128, 0, 0, 0, 0, 10, 20, 30, 255,
                                     255, 2, 7, 100, 255, 255, 255, 1};
    for (int k = 0; k < 20; ++k)
        EXPECT_EQ(pixels[k], attendus[k]) << "octet " << k;
}

TEST(ImagesWebP, UneImagePremultiplieeArriveEnCouleurDroite)
{
    QImage premult(32, 32, QImage::Format_RGBA8888_Premultiplied);
    premult.fill(QColor(0, 0, 0, 0));
    for (int y = 0; y < 32; ++y) {
        uchar* p = premult.scanLine(y);
        for (int x = 0; x < 32; ++x) {
            p[4 * x] = 64;
            p[4 * x + 3] = 128;
        }
    }
    const QColor c = premierPixel(webp(premult, 100.0f));
    EXPECT_NEAR(c.red(), 127, 4);
    EXPECT_EQ(c.alpha(), 128);

    // Straight colour goes in untouched: no second division.
    QImage droite(32, 32, QImage::Format_RGBA8888);
    droite.fill(QColor(127, 0, 0, 128));
    const QColor d = premierPixel(webp(droite, 100.0f));
    EXPECT_NEAR(d.red(), 127, 4);
    EXPECT_EQ(d.alpha(), 128);
}

TEST(ImagesWebP, EchecsNommes)
{
    try {
        webp(QImage(), 80.0f);
        ADD_FAILURE() << "une image vide ne s’encode pas";
    } catch (const Erreur& e) {
        EXPECT_EQ(e.message(), "Impossible d’écrire « WebP »");
    }
    QImage tropLarge(16400, 2, QImage::Format_RGBA8888);  // beyond WebP's 16383 pixels
    tropLarge.fill(Qt::red);
    try {
        webp(tropLarge, 80.0f);
        ADD_FAILURE() << "WebP ne dépasse pas 16383 pixels";
    } catch (const Erreur& e) {
        EXPECT_EQ(e.message(), "Impossible d’écrire « WebP »");
    }
}

TEST(ImagesWebP, QualiteTransmise)
{
    const QImage image = texture(256, 256, 4);
    EXPECT_LT(webp(image, 20.0f).size() * 2, webp(image, 95.0f).size());
}
