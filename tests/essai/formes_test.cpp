#include "essai/Formes.h"

#include <QLocale>
#include <clocale>
#include <gtest/gtest.h>

namespace {

using namespace Essai::Formes;

TEST(FormesDuRapport, ListesEchappees)
{
    EXPECT_EQ(liste({}), QStringLiteral("[]"));
    EXPECT_EQ(liste({QStringLiteral("a"), QStringLiteral("b c")}), QStringLiteral("[\"a\", \"b c\"]"));
    EXPECT_EQ(liste({QStringLiteral("l'\"x\"\\"), QStringLiteral("1\t2\n3\r")}),
              QStringLiteral("[\"l\\'\\\"x\\\"\\\\\", \"1\\t2\\n3\\r\"]"));
    EXPECT_EQ(liste({QStringLiteral("« é ’ »")}), QStringLiteral("[\"« é ’ »\"]"));  // kept as they are
}

TEST(FormesDuRapport, IndicesOptionnels)
{
    EXPECT_EQ(indice(0), QStringLiteral("Optional(0)"));
    EXPECT_EQ(indice(12), QStringLiteral("Optional(12)"));
    EXPECT_EQ(indice(std::nullopt), QStringLiteral("nil"));
}

TEST(FormesDuRapport, DureesSansLaLocale)
{
    const QLocale avant;
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    std::setlocale(LC_ALL, "fr_FR.UTF-8");
    EXPECT_EQ(duree(0.4249), QStringLiteral("0.42 s"));
    EXPECT_EQ(duree(2), QStringLiteral("2.00 s"));
    EXPECT_EQ(decimales(1234.5), QStringLiteral("1234.50"));
    std::setlocale(LC_ALL, "C");
    QLocale::setDefault(avant);
}

TEST(FormesDuRapport, DernieresLignesDeFFmpeg)
{
    EXPECT_EQ(dernieresLignes(QStringLiteral("a\n\nb\nc\n\nd\n")), QStringLiteral("b | c | d"));
    EXPECT_EQ(dernieresLignes(QStringLiteral("seule\n")), QStringLiteral("seule"));
    EXPECT_EQ(dernieresLignes(QString()), QString());
    EXPECT_EQ(surUneLigne(QStringLiteral("Notes\nÉté\r\nfin")), QStringLiteral("Notes / Été / fin"));
}

} // namespace
