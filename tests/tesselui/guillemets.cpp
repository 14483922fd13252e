// French guillemets stay with what they quote: the design system's paragraphs (the toast's
// title and detail, the hints) never leave « or » alone at a line's end or start.
#include "tesselui/Guillemets.h"
#include "tesselui/Vavirud.h"

#include <gtest/gtest.h>

TEST(Guillemets, EspacesInsecablesDedans)
{
    EXPECT_EQ(Guillemets::insecables(QStringLiteral("Impossible de lire « photo.jpg »")),
              QStringLiteral("Impossible de lire «\u00A0photo.jpg\u00A0»"));
    EXPECT_EQ(Guillemets::insecables(QStringLiteral("« a b » puis « c »")),
              QStringLiteral("«\u00A0a b\u00A0» puis «\u00A0c\u00A0»"));
    // Spaces elsewhere, and guillemets without spaces, stay as they are.
    for (const QString& t : {QStringLiteral("sans guillemets ici"), QStringLiteral("«serré»"), QString()})
        EXPECT_EQ(Guillemets::insecables(t), t);
}

TEST(Guillemets, UnParagrapheNeLesLaissePasSeuls)
{
    const QFont f = Vavirud::texte(15, 400);
    const QString texte = QStringLiteral("Impossible de lire « photo.jpg »");
    // Just wide enough for all but the closing guillemet on the first line.
    const double presque = Vavirud::largeurParagraphe(f, QStringLiteral("Impossible de lire « photo.jpg"), 10000);
    const double une = Vavirud::hauteurParagraphe(f, QStringLiteral("Impossible"), 10000);
    // Two lines, the name and both guillemets together on the second: the widest line is
    // the first three words, well short of the room.
    EXPECT_NEAR(Vavirud::hauteurParagraphe(f, texte, presque + 1), 2 * une, 1);
    EXPECT_LT(Vavirud::largeurParagraphe(f, texte, presque + 1), presque - 20);
}
