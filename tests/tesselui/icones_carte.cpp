// The theme's icon lookup (system symbols, the pill's icon) and the card surface's padding.
#include "tesselui/BoutonAnime.h"
#include "tesselui/Carte.h"
#include "tesselui/Icone.h"
#include "tesselui/Theme.h"

#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

TEST(Icones, LesSymbolesDuSystemeOntLeurIconePartout)
{
    for (const char* nom : {"app", "circle", "square", "rectangle.portrait", "square.split.2x1", "photo"}) {
        // Served by the symbol table (resources), system names and the wheel's plain ones alike.
        EXPECT_TRUE(Icone::fichier(QString::fromLatin1(nom)).startsWith(":/")) << nom;
        const QImage im = Icone::image(QString::fromLatin1(nom), 16, Qt::blue, 1);
        ASSERT_FALSE(im.isNull()) << nom;
        int bleus = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                bleus += im.pixelColor(x, y).alpha() > 100 && im.pixelColor(x, y).blue() > 200 && im.pixelColor(x, y).red() < 60;
        EXPECT_GT(bleus, 10) << nom;
    }
    EXPECT_TRUE(Icone::fichier(QStringLiteral("n.existe.pas")).isEmpty());
    // The pill shows its icon left of its title, in the title's colour.
    PillButton sans(QStringLiteral("Ouvrir")), avec(QStringLiteral("Ouvrir"));
    avec.setIcone(QStringLiteral("app"));
    EXPECT_EQ(avec.sizeHint().width(), sans.sizeHint().width() + 13 + 6);
    avec.resize(avec.sizeHint());
    sans.resize(avec.sizeHint());
    const QImage a = avec.grab().toImage(), s = sans.grab().toImage();
    const QColor texte = Theme::ctaText().pour(avec.palette());
    int icone = 0;
    // The icon's square: after the left padding (16) and the inset (1).
    for (int y = a.height() / 2 - 6; y <= a.height() / 2 + 6; ++y)
        for (int x = 18; x < 30; ++x) {
            const QColor c = a.pixelColor(x, y);
            icone += std::abs(c.red() - texte.red()) < 40 && std::abs(c.green() - texte.green()) < 40
                  && std::abs(c.blue() - texte.blue()) < 40 && c != s.pixelColor(x, y);
        }
    EXPECT_GT(icone, 8);
}

TEST(Carte, LaCartePrendSaMarge)
{
    auto* contenu = new QLabel(QStringLiteral("Carte"));
    CarteVavirud carte(contenu, Theme::creamCard(), 20);
    carte.resize(200, 100);
    carte.show();
    QTest::qWait(1);
    EXPECT_EQ(contenu->geometry().topLeft(), QPoint(20, 20));
    EXPECT_EQ(contenu->geometry().bottomRight(), QPoint(179, 79));
    const QImage im = carte.grab().toImage();
    EXPECT_EQ(im.pixelColor(100, 5).rgb(), Theme::creamCard().pour(carte.palette()).rgb());
    EXPECT_NE(im.pixelColor(1, 1).rgb(), im.pixelColor(100, 5).rgb());  // the radius-24 corner
}
