// The desktop's tray item as the controller drives it.
#include "Aides.h"
#include "commun/Ouvreur.h"
#include "application/BarreSysteme.h"

#include <QAction>
#include <QDBusConnection>
#include <QImage>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

QImage image(const QIcon& icone) { return icone.pixmap(QSize(18, 18), 1).toImage(); }

} // namespace

// The menu's lines in order, what each one does, and the two lines the controller sets.
TEST(BarreSysteme, MenuLignesEtActions)
{
    Application::BarreSysteme barre;
    int cherches = 0;
    int quittes = 0;
    barre.installer({[&] { ++cherches; }, [&] { ++quittes; }});
    EXPECT_EQ(barre.toolTip(), "Vemo Vododod");
    ASSERT_NE(barre.contextMenu(), nullptr);
    QStringList textes;
    const QList<QAction*> actions = barre.contextMenu()->actions();
    for (QAction* a : actions)
        textes << (a->isSeparator() ? "--" : a->text());
    EXPECT_EQ(textes, (QStringList{"Glissez un fichier en tenant Maj", "--", "Aucun fichier créé pour l’instant", "",
                                   "--", "Rechercher les mises à jour…", "Quitter Vemo Vododod"}));
    EXPECT_FALSE(actions[0]->isEnabled() || actions[2]->isEnabled() || actions[3]->isVisible());
    EXPECT_EQ(actions[6]->shortcut(), QKeySequence("Ctrl+Q"));
    actions[5]->trigger();
    EXPECT_EQ(cherches, 1);
    EXPECT_EQ(quittes, 0);
    actions[6]->trigger();
    EXPECT_EQ(quittes, 1);

    barre.poserDerniers("Montrer les 2 fichiers créés", {"/tmp/dossier/x.jpg", "/tmp/dossier/y.jpg"});
    EXPECT_EQ(actions[2]->text(), "Montrer les 2 fichiers créés");
    EXPECT_TRUE(actions[2]->isEnabled());
    barre.poserEchec("Échec : Impossible de lire « z.png ».");
    EXPECT_EQ(actions[3]->text(), "Échec : Impossible de lire « z.png ».");
    EXPECT_TRUE(actions[3]->isVisible());
    EXPECT_FALSE(actions[3]->isEnabled());
    barre.poserEchec(QString());
    EXPECT_FALSE(actions[3]->isVisible());

    // Without a file manager on the bus, the line opens the folder of the files it shows.
    if (!QDBusConnection::sessionBus().isConnected()) {
        Ouvreur o;
        actions[2]->trigger();
        ASSERT_TRUE(attendre([&] { return !o.ouverts.isEmpty(); }, 5000));
        EXPECT_EQ(o.ouverts, QList<QUrl>{QUrl::fromLocalFile("/tmp/dossier")});
    }
}

// One picture per sign: rest, the ring that grows with the fraction, success, failure.
TEST(BarreSysteme, UneImageParSigne)
{
    Application::BarreSysteme barre;
    barre.installer({});
    const QImage repos = image(barre.icon());
    QList<QImage> images{repos};
    for (const auto& [signe, fraction] : {std::pair{Application::Barre::Signe::anneau, 0.25}, {Application::Barre::Signe::anneau, 0.75},
                                          {Application::Barre::Signe::reussite, 0.0}, {Application::Barre::Signe::echec, 0.0},
                                          {Application::Barre::Signe::repos, 0.0}}) {
        barre.poserIcone(signe, fraction);
        ASSERT_FALSE(barre.icon().isNull());
        images << image(barre.icon());
    }
    for (int i = 0; i < 5; ++i)
        for (int j = i + 1; j < 5; ++j)
            EXPECT_NE(images[i], images[j]) << i << " " << j;
    EXPECT_EQ(images[5], repos) << "back at rest, the same picture";
    // A quarter of a turn covers fewer ink pixels than three quarters.
    const auto encre = [](const QImage& im) {
        int n = 0;
        for (int y = 0; y < im.height(); ++y)
            for (int x = 0; x < im.width(); ++x)
                n += qAlpha(im.pixel(x, y)) > 200;
        return n;
    };
    EXPECT_LT(encre(images[1]), encre(images[2]));
}

