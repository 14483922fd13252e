#include "application/Lignes.h"

#include <gtest/gtest.h>

// The ffmpeg line is checked through the engine's hook in the controller's tests.
TEST(Lignes, ListeDesNomsCitesEtEchappes)
{
    EXPECT_EQ(Application::Lignes::liste({}), "[]");
    EXPECT_EQ(Application::Lignes::liste({"a.png", "b c.jpg"}), "[\"a.png\", \"b c.jpg\"]");
    EXPECT_EQ(Application::Lignes::liste({"dit \"oui\"\\non"}), "[\"dit \\\"oui\\\"\\\\non\"]");
    EXPECT_EQ(Application::Lignes::noms({"/tmp/x/Été 2.heic", "/a/b/"}), (QStringList{"Été 2.heic", ""}));
}
