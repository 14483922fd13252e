// WebP encoding: what reaches the encoder, read back by libwebp's own decoder tool.

#include "conversions/images/images_fabrique.h"

#include "conversions/images/Images.h"

using namespace Conversions;
using namespace essais;

// Premultiplied colour is straightened once before encoding (a fully transparent pixel
// included), straight colour goes in as it is.
TEST(ImagesWebP, LaCouleurArriveDroite)
{
    for (const auto format : {QImage::Format_RGBA8888_Premultiplied, QImage::Format_RGBA8888}) {
        SCOPED_TRACE(format);
        QImage image(32, 32, format);
        image.fill(QColor(127, 0, 0, 128));
        image.setPixelColor(31, 31, Qt::transparent);
        Dossier d;
        const QString pam = d.chemin("x.pam");
        sortieDe("dwebp", {d.ecrire("x.webp", webp(image, 100.0f)), "-pam", "-o", pam});
        const QByteArray octets = lire(pam);  // straight RGBA after the header
        const qsizetype debut = octets.indexOf("ENDHDR\n") + 7;
        ASSERT_TRUE(debut >= 7 && octets.size() >= debut + 4);
        EXPECT_NEAR(static_cast<quint8>(octets[debut]), 127, 4);
        EXPECT_EQ(static_cast<quint8>(octets[debut + 3]), 128);
        EXPECT_EQ(static_cast<quint8>(octets.back()), 0);  // the last pixel's alpha
    }
}

TEST(ImagesWebP, EchecsNommes)
{
    QImage tropLarge(16400, 2, QImage::Format_RGBA8888);  // beyond WebP's 16383 pixels
    tropLarge.fill(Qt::red);
    for (const QImage& image : {QImage(), tropLarge}) {
        try {
            webp(image, 80.0f);
            ADD_FAILURE() << image.width() << " pixels de large";
        } catch (const Erreur& e) {
            EXPECT_EQ(e.message(), "Impossible d’écrire « WebP »");
        }
    }
}

TEST(ImagesWebP, QualiteTransmise)
{
    const QImage image = texture(256, 256, 4);
    EXPECT_LT(webp(image, 20.0f).size() * 2, webp(image, 95.0f).size());
}
