#include "designtokens/Tokens.h"
#include "tesselui/Couleur.h"

#include <gtest/gtest.h>

TEST(Couleur, GardeLesValeursDeSaConstructionEtSuitLApparence)
{
    const Tokens::ThemedColor t(Tokens::RGB(0x18191Bu), Tokens::RGB(0xEEF0F6u, 0.72));
    const Couleur c(t);
    EXPECT_EQ(c.pour(Couleur::Apparence::claire), QColor(0x18, 0x19, 0x1B));
    EXPECT_EQ(c.pour(Couleur::Apparence::sombre).alpha(), qRound(0.72 * 255));
    // An appearance that is neither shows the light value.
    EXPECT_EQ(c.pour(Couleur::Apparence::autre), QColor(0x18, 0x19, 0x1B));
    // Built once: a palette installed afterwards does not change it.
    Tokens::neutres.reset();
    const Couleur avant(Tokens::Color::canvas());
    Tokens::neutres = Tokens::Neutres::reverie();
    EXPECT_NE(Couleur(Tokens::Color::canvas()).pour(Couleur::Apparence::sombre), avant.pour(Couleur::Apparence::sombre));
    Tokens::neutres.reset();
    EXPECT_EQ(avant.pour(Couleur::Apparence::sombre), Couleur(Tokens::Color::canvas()).pour(Couleur::Apparence::sombre));

    QPalette sombre, claire;
    sombre.setColor(QPalette::Window, QColor(0x16, 0x1B, 0x28));
    claire.setColor(QPalette::Window, QColor(0xF4, 0xF2, 0xF4));
    EXPECT_EQ(Couleur::apparence(sombre), Couleur::Apparence::sombre);
    EXPECT_EQ(Couleur::apparence(claire), Couleur::Apparence::claire);
    EXPECT_EQ(c.pour(sombre).rgb(), QColor(0xEE, 0xF0, 0xF6).rgb());
}
