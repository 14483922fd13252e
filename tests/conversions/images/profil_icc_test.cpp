// Which embedded profiles send a photo through colour conversion: real profiles shipped by
// Debian (colord, Ghostscript), and damaged copies of one.

#include "conversions/images/ProfilIcc.h"

#include "conversions/essais_outils.h"

using namespace essais;

namespace {

TEST(ProfilIcc, SeulsLesProfilsHorsSrgbSontConvertis)
{
    const QString colord = QStringLiteral("/usr/share/color/icc/colord/");
    const QList<std::pair<QString, bool>> cas{
        {colord + "sRGB.icc", false},          {colord + "AdobeRGB1998.icc", true},
        {colord + "ProPhotoRGB.icc", true},    {colord + "WideGamutRGB.icc", true},
        {QStringLiteral("/usr/share/color/icc/ghostscript/default_cmyk.icc"), true},
        {QStringLiteral("/usr/share/color/icc/ghostscript/sgray.icc"), false},
    };
    for (const auto& [chemin, attendu] : cas)
        EXPECT_EQ(Conversions::horsSrgb(lire(chemin)), attendu) << chemin.toStdString();

    // Cut short, or its tag table pointing past the end: taken as it is, never read past.
    const QByteArray adobe = lire(colord + "AdobeRGB1998.icc");
    for (qsizetype n : {0, 100, 131, 140, 200})
        EXPECT_FALSE(Conversions::horsSrgb(adobe.left(n))) << n;
    QByteArray fausse = adobe;
    const int tags = static_cast<unsigned char>(adobe[131]);
    for (int i = 0; i < tags; ++i)
        fausse[132 + 12 * i + 4] = '\x7F';
    EXPECT_FALSE(Conversions::horsSrgb(fausse));
}

} // namespace
