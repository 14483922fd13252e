// The annotate window's tool row as a user and a screen reader meet it: three symbol
// buttons named by their tools, six colour buttons named « Couleur 1 » to « Couleur 6 »,
// the take-back arrow, and the dashed field of a text being typed.
#include "commun/Attendre.h"
#include "commun/Dossier.h"
#include "fenetres/commun/FenetreOutil.h"
#include "fenetres/commun/Outils.h"
#include "tesselui/Symboles.h"
#include "fenetres/annoter/VueAnnoter.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QLineEdit>
#include <QMouseEvent>
#include <gtest/gtest.h>

namespace {

void cliquer(QWidget& w, QPointF p)
{
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent e(type, p, w.mapToGlobal(p), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&w, &e);
    }
}

// Lengths of the runs of nearly white pixels and of the others along row `y`, from `x0` to `x1`.
QList<int> suites(const QImage& image, int y, int x0, int x1)
{
    QList<int> l;
    bool blanc = false;
    for (int x = x0; x < x1; ++x) {
        const bool b = qGray(image.pixel(x, y)) > 200 && qAlpha(image.pixel(x, y)) > 200;
        if (l.isEmpty() || b != blanc)
            l << 0;
        blanc = b;
        ++l.last();
    }
    return l;
}

} // namespace

TEST(BoutonsAnnoter, SymbolesNomsEtCouleurs)
{
    Dossier d;
    QImage photo(800, 500, QImage::Format_RGB32);
    photo.fill(QColor(40, 60, 90));  // dark: the field's white dashes show on it
    photo.save(d.chemin("photo.png"));
    ASSERT_TRUE(Outils::ouvrir(QStringLiteral("annoter"), d.chemin("photo.png"), [](const QString&) {}));
    FenetreOutil* f = FenetreOutil::ouvertes().last();
    auto* vue = f->findChild<VueAnnoter*>();
    ASSERT_TRUE(attendre([&] { return vue->chargee(); }));

    // Three tools, each with its symbol, its title for the screen reader and its help text.
    const auto& outils = vue->boutonsOutils();
    ASSERT_EQ(outils.size(), 3);
    const QStringList titres{"Flèche", "Cadre", "Texte"};
    const QStringList aides{"Tracer une flèche", "Entourer d'un cadre", "Cliquer pour écrire un texte"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(QAccessible::queryAccessibleInterface(outils[i])->text(QAccessible::Name), titres[i]);
        EXPECT_EQ(outils[i]->toolTip(), aides[i]);
        EXPECT_EQ(outils[i]->size(), QSize(34, 30));
        EXPECT_EQ(outils[i]->isChecked(), i == 0);
    }
    for (const char* nom : {"arrow.up.right", "rectangle", "textformat", "arrow.uturn.backward"})
        EXPECT_FALSE(Symboles::image(nom, 16, Qt::black, 1).isNull()) << nom;

    // The chosen tool is filled in ink with a white symbol; the others are clear.
    const QImage choisi = outils[0]->grab().toImage();
    const QImage libre = outils[1]->grab().toImage();
    EXPECT_LT(qGray(choisi.pixel(3, choisi.height() / 2)), 60);
    int blancs = 0;
    for (int y = 0; y < choisi.height(); ++y)
        for (int x = 0; x < choisi.width(); ++x)
            blancs += qGray(choisi.pixel(x, y)) > 220;
    EXPECT_GT(blancs, 10);  // the white symbol on the ink
    const QRgb bord = libre.pixel(3, libre.height() / 2);
    EXPECT_TRUE(qAlpha(bord) == 0 || qGray(bord) > 150);

    cliquer(*outils[2], {17, 15});
    EXPECT_EQ(vue->outil(), 2);
    EXPECT_TRUE(outils[2]->isChecked());
    EXPECT_FALSE(outils[0]->isChecked());

    // Six colours: « Couleur 1 » … « Couleur 6 », help text « Couleur », the second chosen.
    const auto& couleurs = vue->boutonsCouleurs();
    ASSERT_EQ(couleurs.size(), 6);
    for (int i = 0; i < 6; ++i) {
        // What the accessibility bridge hands to a screen reader: one named choice of six.
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(couleurs[i]);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->role(), QAccessible::RadioButton);
        EXPECT_EQ(a->text(QAccessible::Name), QStringLiteral("Couleur %1").arg(i + 1));
        EXPECT_EQ(couleurs[i]->accessibleName(), QStringLiteral("Couleur %1").arg(i + 1));
        EXPECT_EQ(couleurs[i]->toolTip(), "Couleur");
        EXPECT_EQ(couleurs[i]->isChecked(), i == 1);
    }
    // The take-back symbol is read by its purpose.
    int reprises = 0;
    for (QAbstractButton* b : vue->findChildren<QAbstractButton*>())
        if (b->toolTip().startsWith("Retirer le dernier ajout")) {
            ++reprises;
            EXPECT_EQ(QAccessible::queryAccessibleInterface(b)->text(QAccessible::Name), "Retirer le dernier ajout");
        }
    EXPECT_EQ(reprises, 1);
    cliquer(*couleurs[4], {12, 12});
    EXPECT_EQ(vue->couleur(), 4);
    EXPECT_TRUE(couleurs[4]->isChecked());
    cliquer(*couleurs[5], {1, 1});  // the corner is outside the round button
    EXPECT_EQ(vue->couleur(), 4);

    // The text field's border: white dashes of 4 points and gaps of 3.
    f->show();
    const Toile t = vue->toile();
    cliquer(vue->canevas(), t.versEcran({100, 200}));
    ASSERT_TRUE(vue->saisie());
    QLineEdit* champ = vue->saisie();
    const QImage rendu = vue->canevas().grab().toImage();
    const QRect g = champ->geometry();
    const double dpr = rendu.devicePixelRatio();
    const QList<int> l = suites(rendu, int(g.top() * dpr), int((g.left() + 8) * dpr), int((g.right() - 8) * dpr));
    ASSERT_GT(l.size(), 6) << g.x() << "," << g.y();
    // Inner runs only: the ends are cut by the range.
    for (qsizetype i = 1; i + 1 < l.size(); ++i)
        EXPECT_NEAR(l[i] / dpr, (i % 2 == l.size() % 2) ? 4 : 3, 1.01) << i;
    f->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(BoutonsAnnoter, ChaqueMarqueASonIdentite)
{
    const Annotation a{Annotation::Genre::fleche, {0, 0}, {10, 10}, {}, Qt::red};
    const Annotation b{Annotation::Genre::fleche, {0, 0}, {10, 10}, {}, Qt::red};
    EXPECT_FALSE(a.id.isNull());
    EXPECT_NE(a.id, b.id);  // the same mark made twice is two marks
    const Annotation copie = a;
    EXPECT_EQ(copie.id, a.id);  // a copy is the same mark
}
