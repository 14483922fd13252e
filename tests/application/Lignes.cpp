#include "application/Lignes.h"

#include <gtest/gtest.h>

TEST(Lignes, ListeDesNomsCitesEtEchappes)
{
    EXPECT_EQ(Lignes::liste({}), QStringLiteral("[]"));
    EXPECT_EQ(Lignes::liste({QStringLiteral("a.png"), QStringLiteral("b c.jpg")}),
              QStringLiteral("[\"a.png\", \"b c.jpg\"]"));
    EXPECT_EQ(Lignes::liste({QStringLiteral("dit \"oui\"\\non")}), QStringLiteral("[\"dit \\\"oui\\\"\\\\non\"]"));
    EXPECT_EQ(Lignes::noms({QStringLiteral("/tmp/x/Été 2.heic"), QStringLiteral("/a/b/")}),
              (QStringList{QStringLiteral("Été 2.heic"), QString()}));
}

TEST(Lignes, FfmpegGardeLesTroisDernieresLignesNonVides)
{
    EXPECT_EQ(Lignes::ffmpeg(QStringLiteral("un\n\ndeux\ntrois\n\nquatre\n\n")),
              QStringLiteral("ffmpeg : deux | trois | quatre"));
    EXPECT_EQ(Lignes::ffmpeg(QStringLiteral("seule")), QStringLiteral("ffmpeg : seule"));
    EXPECT_EQ(Lignes::ffmpeg(QString()), QStringLiteral("ffmpeg : "));
}
