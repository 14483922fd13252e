// What a screen reader is given of the painted controls, through Qt's accessibility layer
// (the AT-SPI bridge reads the same interfaces; the gallery's script reads them over AT-SPI).
#include "ChronoIndice.h"
#include "tesselui/BoutonAnime.h"
#include "tesselui/NoticeToast.h"
#include "tesselui/PillTabBar.h"
#include "tesselui/Rezuz.h"
#include "tesselui/SegmentedRow.h"
#include "tesselui/Theme.h"
#include "tesselui/Vavirud.h"

#include <QAccessible>
#include <QAbstractButton>
#include <QAccessibleActionInterface>
#include <QComboBox>
#include <QEnterEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QRegularExpression>
#include <QTest>
#include <QVBoxLayout>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

QList<PillTabBar::Tab> onglets()
{
    return {{QStringLiteral("photo"), QStringLiteral("Photo"), QStringLiteral("Une image")},
            {QStringLiteral("film"), QStringLiteral("Vidéo"), QStringLiteral("Un film")},
            {QStringLiteral("waveform"), QStringLiteral("Son"), QStringLiteral("Un son")}};
}

} // namespace

TEST(Accessibilite, ChaqueOngletPeintEstUnOngletNommeEtDecrit)
{
    PillTabBar barre(onglets(), true);
    barre.resize(240, 32);
    barre.show();
    QAccessibleInterface* liste = QAccessible::queryAccessibleInterface(&barre);
    ASSERT_TRUE(liste);
    EXPECT_EQ(liste->role(), QAccessible::PageTabList);
    ASSERT_EQ(liste->childCount(), 3);
    QStringList noms, details;
    for (int i = 0; i < 3; ++i) {
        QAccessibleInterface* o = liste->child(i);
        ASSERT_TRUE(o);
        EXPECT_EQ(o->role(), QAccessible::PageTab);
        EXPECT_EQ(o->parent(), liste);
        EXPECT_EQ(liste->indexOfChild(o), i);
        EXPECT_EQ(liste->child(i), o);  // the same element each time it is asked
        noms << o->text(QAccessible::Name);
        details << o->text(QAccessible::Description);
        EXPECT_EQ(o->state().selected, i == 0) << i;
        // Its rectangle is its painted tab, on screen.
        const QRectF c = PillTabBar::cases(3, QSizeF(barre.size()))[i];
        EXPECT_LE((o->rect().center() - barre.mapToGlobal(c.center().toPoint())).manhattanLength(), 2) << i;
        EXPECT_EQ(liste->childAt(o->rect().center().x(), o->rect().center().y()), o);
    }
    EXPECT_EQ(noms, (QStringList{"Photo", "Vidéo", "Son"}));
    EXPECT_EQ(details, (QStringList{"Une image", "Un film", "Un son"}));
    // Pressing a tab through its action selects it as a click does.
    QSignalSpy choix(&barre, &PillTabBar::selectionChanged);
    QAccessibleActionInterface* action = liste->child(2)->actionInterface();
    ASSERT_TRUE(action);
    action->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(barre.selection(), 2);
    EXPECT_EQ(choix.size(), 1);
    EXPECT_TRUE(liste->child(2)->state().selected);
    EXPECT_FALSE(liste->child(0)->state().selected);
    // Without descriptions the tabs still have names, and an empty description.
    PillTabBar nue(onglets(), false);
    QAccessibleInterface* n = QAccessible::queryAccessibleInterface(&nue);
    EXPECT_EQ(n->child(1)->text(QAccessible::Name), "Vidéo");
    EXPECT_TRUE(n->child(1)->text(QAccessible::Description).isEmpty());
}

TEST(Accessibilite, LIndiceDUnControleEstSaDescription)
{
    QLabel l(QStringLiteral("x"));
    Hint::installer(&l, QStringLiteral("Rogner"), QStringLiteral("Garde la partie qui compte"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&l)->text(QAccessible::Description), "Garde la partie qui compte");
}

TEST(Accessibilite, LeToastEstUneAlerteQuiNeMontreQueSesBoutons)
{
    QWidget fenetre;
    fenetre.resize(600, 300);
    NoticeToast toast(&fenetre);
    fenetre.show();
    QApplication::setActiveWindow(&fenetre);
    Notices::shared().success(QStringLiteral("Conversion terminée"), QStringLiteral("vacances.jpg"), QStringLiteral("/tmp/v.jpg"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return toast.shown(); }, 2000));
    QAccessibleInterface* t = QAccessible::queryAccessibleInterface(&toast);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->role(), QAccessible::AlertMessage);
    EXPECT_EQ(t->text(QAccessible::Name), "Conversion terminée");
    EXPECT_EQ(t->text(QAccessible::Description), "vacances.jpg");
    // The reveal and close buttons only: no mascot, no separate text element.
    ASSERT_EQ(t->childCount(), 2);
    EXPECT_EQ(t->child(0)->text(QAccessible::Name), "Afficher dans le dossier");
    EXPECT_EQ(t->child(1)->text(QAccessible::Name), "Fermer");
    EXPECT_EQ(t->indexOfChild(t->child(1)), 1);
    toast.hideNotice();
    toast.stabiliser();
    EXPECT_TRUE(t->state().invisible);
    while (Notices::shared().take()) {
    }
}

TEST(Accessibilite, LeToastTientSurUneLigneDeSoixantePointsToutCentre)
{
    QWidget fenetre;
    fenetre.resize(700, 300);
    NoticeToast toast(&fenetre);
    fenetre.show();
    QApplication::setActiveWindow(&fenetre);
    Notices::shared().info(QStringLiteral("Conversion terminée"), QStringLiteral("Photo de vacances.jpg"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return toast.shown(); }, 2000));
    toast.stabiliser();
    const QRect capsule = toast.capsule();
    EXPECT_NEAR(capsule.height(), 60, 3);
    EXPECT_EQ(capsule.bottom(), toast.rect().bottom());
    EXPECT_DOUBLE_EQ(toast.echelleCourante(), 1);
    EXPECT_DOUBLE_EQ(toast.opaciteCourante(), 1);
    const QRect m = toast.mascotte().geometry();
    EXPECT_EQ(m.size(), QSize(40, 40));
    EXPECT_NEAR(m.center().y(), capsule.center().y() + 0.5, 1.5);
    EXPECT_NEAR(toast.closeButton()->geometry().center().y(), capsule.center().y() + 0.5, 1.5);
    // A long detail shows whole: the toast grows past four lines.
    toast.hideNotice();
    toast.stabiliser();
    EXPECT_DOUBLE_EQ(toast.echelleCourante(), 0.8);
    EXPECT_EQ(toast.opaciteCourante(), 0);
    Notices::shared().info(QStringLiteral("Longue"), QString(900, QLatin1Char('m')).replace(QRegularExpression("(m{12})"), "\\1 "));
    ASSERT_TRUE(QTest::qWaitFor([&] { return toast.shown() && toast.current()->title == "Longue"; }, 3000));
    toast.stabiliser();
    const double ligne = QFontMetricsF(Vavirud::texte(11, 400)).lineSpacing();
    EXPECT_GT(toast.capsule().height(), 20 + 18 + 6 * ligne);
    // A long title wraps as well, the toast no wider than its 360-wide texts allow.
    toast.hideNotice();
    toast.stabiliser();
    const QString titre = QStringLiteral("Conversion terminée pour les quarante photos de vacances prises cet été à la montagne");
    Notices::shared().info(titre, std::nullopt);
    ASSERT_TRUE(QTest::qWaitFor([&] { return toast.shown() && toast.current()->title == titre; }, 3000));
    toast.stabiliser();
    const QFontMetricsF t(Vavirud::texte(15, 400));
    ASSERT_GT(t.horizontalAdvance(titre), 360);
    EXPECT_GT(toast.capsule().height(), 20 + 2 * t.height());
    EXPECT_LT(toast.width(), 12 + 40 + 14 + 362 + 14 + 30 + 16 + 2);
    while (Notices::shared().take()) {
    }
}

TEST(Accessibilite, LesOngletsPeintsSePrennentAuClavier)
{
    QWidget fenetre;
    auto* l = new QHBoxLayout(&fenetre);
    auto* avant = new QLineEdit;
    auto* barre = new PillTabBar(onglets(), true);
    auto* apres = new QLineEdit;
    l->addWidget(avant);
    l->addWidget(barre);
    l->addWidget(apres);
    fenetre.show();
    QApplication::setActiveWindow(&fenetre);
    avant->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return avant->hasFocus(); }, 2000));
    QAccessibleInterface* liste = QAccessible::queryAccessibleInterface(barre);
    // Tab comes to the first tab, then the next, as along buttons; the arrows move too.
    QTest::keyClick(avant, Qt::Key_Tab);
    ASSERT_TRUE(barre->hasFocus());
    EXPECT_EQ(barre->caseClavier(), 0);
    EXPECT_TRUE(liste->child(0)->state().focused);
    EXPECT_TRUE(liste->child(0)->state().focusable);
    QTest::keyClick(barre, Qt::Key_Tab);
    EXPECT_EQ(barre->caseClavier(), 1);
    EXPECT_FALSE(liste->child(0)->state().focused);
    EXPECT_TRUE(liste->child(1)->state().focused);
    QTest::keyClick(barre, Qt::Key_Right);
    EXPECT_EQ(barre->caseClavier(), 2);
    QTest::keyClick(barre, Qt::Key_Right);  // the last stays the last
    EXPECT_EQ(barre->caseClavier(), 2);
    // Space chooses it, as a click does.
    QSignalSpy choix(barre, &PillTabBar::selectionChanged);
    QTest::keyClick(barre, Qt::Key_Space);
    EXPECT_EQ(barre->selection(), 2);
    EXPECT_EQ(choix.size(), 1);
    // From the last tab, Tab leaves the bar; Shift+Tab comes back to the last tab.
    QTest::keyClick(barre, Qt::Key_Tab);
    EXPECT_TRUE(apres->hasFocus());
    EXPECT_FALSE(liste->child(2)->state().focused);
    QTest::keyClick(apres, Qt::Key_Backtab);
    EXPECT_EQ(barre->caseClavier(), 2);
    // A click chooses without taking the keyboard.
    apres->setFocus();
    QTest::mouseClick(barre, Qt::LeftButton, {}, PillTabBar::cases(3, QSizeF(barre->size()))[0].center().toPoint());
    EXPECT_EQ(barre->selection(), 0);
    EXPECT_TRUE(apres->hasFocus());
}

TEST(Accessibilite, UnPointeurPoseSurUnOngletSansBougerAmeneSonIndice)
{
    QCursor::setPos(900, 900);
    PillTabBar barre(onglets(), true);
    barre.setGeometry(300, 300, 240, 32);
    barre.show();
    QTest::qWait(20);
    ChronoIndice chrono;
    chrono.partir();
    const QPointF centre = PillTabBar::cases(3, QSizeF(barre.size()))[1].center();
    QEnterEvent entree(centre, barre.mapToGlobal(centre), barre.mapToGlobal(centre));
    QApplication::sendEvent(&barre, &entree);
    EXPECT_EQ(barre.survole(), 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return HintPanel::shared().montre(); }, 3000));
    EXPECT_GE(chrono.apres, Hint::repos);
    EXPECT_EQ(HintPanel::shared().bulle().title, "Vidéo");
    // The application going to the background hides it, its owner kept; back, it returns.
    emit qApp->applicationStateChanged(Qt::ApplicationInactive);
    EXPECT_FALSE(HintPanel::shared().isVisible());
    EXPECT_EQ(HintPanel::shared().owner(), &barre);
    emit qApp->applicationStateChanged(Qt::ApplicationActive);
    EXPECT_TRUE(HintPanel::shared().isVisible());
    barre.hide();
    EXPECT_FALSE(HintPanel::shared().montre());
}

namespace {

// Every element under `i`, as "role name" with the states a reader trusts, depth first.
void parcourir(QAccessibleInterface* i, QStringList& vus)
{
    for (int k = 0; k < i->childCount(); ++k) {
        QAccessibleInterface* c = i->child(k);
        if (!c)
            continue;
        const QAccessible::State s = c->state();
        vus << QStringLiteral("%1 %2%3").arg(int(c->role())).arg(c->text(QAccessible::Name), s.invisible ? QStringLiteral(" (caché)") : QString());
        parcourir(c, vus);
    }
}

QStringList elements(QWidget* w)
{
    QStringList vus;
    QAccessibleInterface* i = QAccessible::queryAccessibleInterface(w);
    if (i)
        parcourir(i, vus);
    return vus;
}

} // namespace

TEST(Accessibilite, LaRangeeSegmenteeNeMontreQueSaFormeVisible)
{
    SegmentedRow r(QStringLiteral("Qualité"), {QStringLiteral("Basse"), QStringLiteral("Moyenne"), QStringLiteral("Haute")});
    r.resize(600, 80);
    r.show();
    ASSERT_TRUE(r.segmented());
    const auto role = [](QAccessible::Role x) { return QString::number(int(x)) + ' '; };
    const auto lu = [](const QStringList& vus, const QString& debut) {
        return std::any_of(vus.begin(), vus.end(), [&](const QString& v) { return v.startsWith(debut); });
    };
    // Wide: the title and the three segments, and nothing of the menu, not even its list.
    QStringList vus = elements(&r);
    const std::string arbre = vus.join(" / ").toStdString();
    EXPECT_TRUE(vus.contains(role(QAccessible::CheckBox) + "Basse")) << arbre;
    EXPECT_TRUE(vus.contains(role(QAccessible::CheckBox) + "Haute")) << arbre;
    for (QAccessible::Role x : {QAccessible::ComboBox, QAccessible::List, QAccessible::ListItem})
        EXPECT_FALSE(lu(vus, role(x))) << int(x) << " : " << arbre;
    EXPECT_FALSE(vus.join('\n').contains(QStringLiteral("(caché)"))) << arbre;
    // Narrow: the menu alone, the hidden segments gone from the tree.
    r.resize(40, 80);
    QCoreApplication::processEvents();
    ASSERT_FALSE(r.segmented());
    vus = elements(&r);
    EXPECT_TRUE(vus.contains(role(QAccessible::ComboBox) + "Basse")) << vus.join(" / ").toStdString();
    EXPECT_FALSE(lu(vus, role(QAccessible::CheckBox))) << vus.join(" / ").toStdString();
    // Wide again: back to the segments alone.
    r.resize(600, 80);
    QCoreApplication::processEvents();
    vus = elements(&r);
    EXPECT_TRUE(vus.contains(role(QAccessible::CheckBox) + "Moyenne")) << vus.join(" / ").toStdString();
    EXPECT_FALSE(lu(vus, role(QAccessible::ComboBox))) << vus.join(" / ").toStdString();
}

// Forced below its minimum width (a window manager may do so), the row's window grows back to
// its minimum while the row swaps its forms: what is shown and what a screen reader is told
// stay the same form, whatever width the window settles at.
TEST(Accessibilite, LaRangeeSegmenteeForceeSousSonMinimum)
{
    QWidget fenetre;
    auto* pile = new QVBoxLayout(&fenetre);
    auto* r = new SegmentedRow(QStringLiteral("Qualité"), {QStringLiteral("Basse"), QStringLiteral("Moyenne"), QStringLiteral("Haute")});
    pile->addWidget(r);
    // A neighbour wider than the segments, as in the gallery's column: the window's minimum
    // width then leaves room for them.
    auto* voisin = new QWidget;
    voisin->setFixedSize(240, 10);
    pile->addWidget(voisin);
    fenetre.resize(600, 100);
    fenetre.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&fenetre));
    ASSERT_TRUE(r->segmented());
    const auto role = [](QAccessible::Role x) { return QString::number(int(x)) + ' '; };
    const auto lu = [&](QAccessible::Role x) {
        const QStringList vus = elements(r);
        return std::any_of(vus.begin(), vus.end(), [&](const QString& v) { return v.startsWith(role(x)); });
    };
    for (int largeur : {20, 600, 1, 300, 60, 600}) {
        // Past the widget's own bounds, as the desktop resizes a window.
        fenetre.windowHandle()->resize(largeur, 100);
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        const std::string cas = std::to_string(largeur) + " → " + std::to_string(r->width()) + " : "
                                + elements(r).join(" / ").toStdString();
        const bool segments = r->segmented();
        EXPECT_EQ(r->findChild<QComboBox*>()->isVisible(), !segments) << cas;
        EXPECT_EQ(lu(QAccessible::CheckBox), segments) << cas;
        EXPECT_EQ(lu(QAccessible::ComboBox), !segments) << cas;
        // The form shown is the one that fits the width it has.
        const QWidget* rangee = r->findChild<QAbstractButton*>()->parentWidget();
        EXPECT_EQ(segments, rangee->sizeHint().width() <= r->width()) << cas;
    }
}
