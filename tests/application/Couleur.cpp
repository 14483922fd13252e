#include "designtokens/Tokens.h"
#include "tesselui/Couleur.h"

#include <gtest/gtest.h>

// A colour follows the appearance read from a palette (anything unclear shows the light value),
// and keeps the palette of tokens it was built with.
TEST(Couleur, SuitLApparenceEtGardeSesValeursDeConstruction)
{
    const Couleur c(Tokens::ThemedColor(Tokens::RGB(0x18191Bu), Tokens::RGB(0xEEF0F6u, 0.72)));
    EXPECT_EQ(c.pour(Couleur::Apparence::autre), c.pour(Couleur::Apparence::claire));
    QPalette sombre, claire;
    sombre.setColor(QPalette::Window, QColor(0x16, 0x1B, 0x28));
    claire.setColor(QPalette::Window, QColor(0xF4, 0xF2, 0xF4));
    EXPECT_EQ(Couleur::apparence(sombre), Couleur::Apparence::sombre);
    EXPECT_EQ(Couleur::apparence(claire), Couleur::Apparence::claire);
    EXPECT_EQ(c.pour(sombre).rgb(), QColor(0xEE, 0xF0, 0xF6).rgb());
    EXPECT_EQ(c.pour(claire), QColor(0x18, 0x19, 0x1B));
    Tokens::neutres.reset();
    const Couleur avant(Tokens::Color::canvas());
    Tokens::neutres = Tokens::Neutres::reverie();
    EXPECT_NE(Couleur(Tokens::Color::canvas()).pour(sombre), avant.pour(sombre));
    Tokens::neutres.reset();
    EXPECT_EQ(avant.pour(sombre), Couleur(Tokens::Color::canvas()).pour(sombre));
}
