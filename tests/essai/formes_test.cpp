#include "essai/Formes.h"

#include <QLocale>
#include <clocale>
#include <gtest/gtest.h>

namespace {

using namespace Essai::Formes;

TEST(FormesDuRapport, ListesEtLignes)
{
    EXPECT_EQ(liste({}), "[]");
    EXPECT_EQ(liste({"a", "b c"}), "[\"a\", \"b c\"]");
    EXPECT_EQ(liste({"l'\"x\"\\", "1\t2\n3\r"}), "[\"l\\'\\\"x\\\"\\\\\", \"1\\t2\\n3\\r\"]");
    EXPECT_EQ(liste({"« é ’ »"}), "[\"« é ’ »\"]");  // kept as they are
    EXPECT_EQ(dernieresLignes("a\n\nb\nc\n\nd\n"), "b | c | d");
    EXPECT_EQ(dernieresLignes(QString()), QString());
    EXPECT_EQ(surUneLigne("Notes\nÉté\r\nfin"), "Notes / Été / fin");
}

// A French locale must not turn the decimal point into a comma.
TEST(FormesDuRapport, DureesSansLaLocale)
{
    const QLocale avant;
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    std::setlocale(LC_ALL, "fr_FR.UTF-8");
    EXPECT_EQ(duree(0.4249), "0.42 s");
    EXPECT_EQ(decimales(1234.5), "1234.50");
    std::setlocale(LC_ALL, "C");
    QLocale::setDefault(avant);
}

} // namespace
