#include "designtokens/Tokens.h"
#include "tesselui/Couleur.h"

#include <gtest/gtest.h>

TEST(Couleur, SuitLApparenceEtGardeLesValeursDeSaConstruction)
{
    Tokens::neutres.reset();
    Tokens::brand = Tokens::BrandPalette::lavande();
    const Couleur avant(Tokens::Color::canvas());
    Tokens::neutres = Tokens::Neutres::reverie();
    const Couleur apres(Tokens::Color::canvas());
    Tokens::neutres.reset();

    EXPECT_EQ(avant.pour(Couleur::Apparence::claire), QColor(0xFD, 0xFC, 0xFE));
    EXPECT_EQ(avant.pour(Couleur::Apparence::sombre), QColor(0x3C, 0x31, 0x5B));
    EXPECT_EQ(apres.pour(Couleur::Apparence::claire), QColor(0xFA, 0xFB, 0xFA));
    EXPECT_EQ(apres.pour(Couleur::Apparence::sombre), QColor(0x0D, 0x11, 0x1C));
    // An appearance that is neither shows the light value.
    EXPECT_EQ(apres.pour(Couleur::Apparence::autre), QColor(0xFA, 0xFB, 0xFA));
    EXPECT_EQ(Couleur(Tokens::Color::textSecondary()).pour(Couleur::Apparence::sombre).alpha(), qRound(0.72 * 255));
}

TEST(Couleur, ApparenceDUnePalette)
{
    QPalette sombre;
    sombre.setColor(QPalette::Window, QColor(0x16, 0x1B, 0x28));
    QPalette claire;
    claire.setColor(QPalette::Window, QColor(0xF4, 0xF2, 0xF4));
    EXPECT_EQ(Couleur::apparence(sombre), Couleur::Apparence::sombre);
    EXPECT_EQ(Couleur::apparence(claire), Couleur::Apparence::claire);
    const Couleur texte(Tokens::ThemedColor(Tokens::RGB(0x18191Bu), Tokens::RGB(0xEEF0F6u)));
    EXPECT_EQ(texte.pour(sombre), QColor(0xEE, 0xF0, 0xF6));
}
