// The tool windows from the keyboard alone: Tab reaches every button a window shows and each
// slider, Space presses the button ringed, Escape closes; the desktop's focus ring is drawn
// where the keyboard stands once it is used, on the formats too, and not before.
#include "commun/Attendre.h"
#include "commun/Dossier.h"
#include "commun/Souris.h"
#include "conversions/media_outils.h"
#include "fenetres/commun/PhotoDeGrain.h"
#include "fenetres/annoter/VueAnnoter.h"
#include "fenetres/commun/AnneauClavier.h"
#include "fenetres/commun/BoutonClavier.h"
#include "fenetres/commun/Boutons.h"
#include "fenetres/commun/ChoixPilules.h"
#include "fenetres/commun/FenetreOutil.h"
#include "fenetres/commun/Outils.h"
#include "fenetres/commun/Pilule.h"
#include "fenetres/couper/ApercuCouper.h"
#include "fenetres/couper/VueCouper.h"
#include "fenetres/lumiere/VueLumiere.h"
#include "fenetres/lumiere/modele/Reglages.h"
#include "fenetres/commun/Entete.h"
#include "fenetres/masquer/VueMasquer.h"
#include "fenetres/rogner/VueRogner.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct Active {
    FenetreOutil* fenetre;
    VueOutil* vue;

    Active(const char* cle, const QString& fichier)
    {
        for (FenetreOutil* f : FenetreOutil::ouvertes())
            f->close();
        EXPECT_TRUE(Outils::ouvrir(QLatin1String(cle), fichier, [](const QString&) {}));
        fenetre = FenetreOutil::ouvertes().last();
        vue = fenetre->findChild<VueOutil*>();
        QApplication::setActiveWindow(fenetre);
        EXPECT_TRUE(attendre([&] { return fenetre->isActiveWindow(); }, 3000));
    }
    ~Active()
    {
        if (FenetreOutil::ouvertes().contains(fenetre))
            fenetre->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    bool ouverte() const { return FenetreOutil::ouvertes().contains(fenetre); }
    void touche(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QWidget* cible = QApplication::focusWidget() ? QApplication::focusWidget() : fenetre;
        QTest::keyClick(cible, k, m);
        QCoreApplication::processEvents();
    }
};

// Pixels of the desktop's focus colour in `w` as it is drawn now.
int anneau(QWidget& w)
{
    const QImage image = w.grab().toImage();
    const QColor c = AnneauClavier::couleur();
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor p = image.pixelColor(x, y);
            if (std::abs(p.red() - c.red()) < 40 && std::abs(p.green() - c.green()) < 40
                && std::abs(p.blue() - c.blue()) < 40)
                ++n;
        }
    return n;
}

QString photo(const Dossier& d)
{
    QImage image(400, 300, QImage::Format_RGB32);
    image.fill(qRgb(40, 120, 90));
    const QString chemin = d.chemin("photo.png");
    image.save(chemin);
    return chemin;
}

// What Tab must reach: every shown, enabled button and slider, but for the options of an
// exclusive choice (formats, tools, colours) that the arrows move among from the chosen one.
QList<QWidget*> aAtteindre(QWidget& fenetre)
{
    QList<QWidget*> l;
    for (QAbstractButton* b : fenetre.findChildren<QAbstractButton*>())
        if (b->isVisible() && b->isEnabled() && !(b->autoExclusive() && !b->isChecked()))
            l << b;
    for (QSlider* s : fenetre.findChildren<QSlider*>())
        if (s->isVisible())
            l << s;
    return l;
}

} // namespace

// The crop window's formats: the chosen one has the keyboard when the window opens, unringed;
// the first Tab, Shift+Tab or arrow rings it, the ring moves with the choice and leaves with
// the keyboard; a click hides it.
TEST(Clavier, AnneauDesFormats)
{
    Dossier d;
    const QString source = photo(d);
    {
        Active a("recadrer", source);
        auto* vue = qobject_cast<VueRogner*>(a.vue);
        ASSERT_TRUE(attendre([&] { return vue->chargee(); }));
        ChoixPilules* formats = vue->findChild<ChoixPilules*>();
        ASSERT_EQ(QApplication::focusWidget(), &formats->option(0));
        EXPECT_EQ(anneau(formats->option(0)), 0) << "a ring before the keyboard is used";
        a.touche(Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), &formats->option(0));
        EXPECT_GT(anneau(formats->option(0)), 20) << "no ring at the first Tab";
        a.touche(Qt::Key_Right);
        EXPECT_EQ(vue->format(), 1);
        EXPECT_GT(anneau(formats->option(1)), 20) << "the ring does not follow the choice";
        EXPECT_EQ(anneau(formats->option(0)), 0);
        // On to the buttons, and back.
        a.touche(Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), &vue->boutons().annulation());
        EXPECT_GT(anneau(vue->boutons().annulation()), 20);
        EXPECT_EQ(anneau(formats->option(1)), 0);
        a.touche(Qt::Key_Tab, Qt::ShiftModifier);
        EXPECT_EQ(QApplication::focusWidget(), &formats->option(1));
        EXPECT_GT(anneau(formats->option(1)), 20);
        // The mouse chooses: the keyboard follows, without its ring.
        QTest::mouseClick(&formats->option(3), Qt::LeftButton);
        EXPECT_EQ(vue->format(), 3);
        EXPECT_EQ(QApplication::focusWidget(), &formats->option(3));
        EXPECT_EQ(anneau(formats->option(3)), 0);
    }
    for (const auto& [cle, modif, format] : {std::tuple{Qt::Key_Tab, Qt::ShiftModifier, 0},
                                             std::tuple{Qt::Key_Right, Qt::NoModifier, 1}}) {
        // The first key, whichever, rings the chosen format.
        Active a("recadrer", source);
        auto* vue = qobject_cast<VueRogner*>(a.vue);
        ASSERT_TRUE(attendre([&] { return vue->chargee(); }));
        ChoixPilules* formats = vue->findChild<ChoixPilules*>();
        a.touche(cle, modif);
        EXPECT_EQ(vue->format(), format);
        EXPECT_EQ(QApplication::focusWidget(), &formats->option(format));
        EXPECT_GT(anneau(formats->option(format)), 20) << "no ring at the first key " << int(cle);
    }
}

// Every window: Tab goes round every button it shows (and the light window's sliders), each
// ringed in turn; Escape closes.
TEST(Clavier, ToutBoutonAuClavier)
{
    lierFFmpeg();
    Dossier d;
    const QString image = photo(d);
    const QString son = d.chemin("son.wav");
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "sine=f=440:d=2", "-ar", "8000", "-ac", "1"}, son));
    for (const char* cle : {"recadrer", "lumiere", "masquer", "annoter", "couper"}) {
        Active a(cle, QLatin1String(cle) == QLatin1String("couper") ? son : image);
        if (auto* m = qobject_cast<VueMasquer*>(a.vue)) {
            ASSERT_TRUE(attendre([&] { return !m->cherche(); }));
        }
        if (auto* c = qobject_cast<VueCouper*>(a.vue)) {
            ASSERT_TRUE(attendre([&] { return c->boutons().confirmation().isEnabled(); }, 20000));
        }
        QCoreApplication::processEvents();
        const QList<QWidget*> attendus = aAtteindre(*a.fenetre);
        ASSERT_FALSE(attendus.isEmpty()) << cle;
        QList<QWidget*> atteints;
        for (int i = 0; i < 2 * attendus.size() + 4; ++i) {
            a.touche(Qt::Key_Tab);
            QWidget* ici = QApplication::focusWidget();
            ASSERT_NE(ici, nullptr) << cle;
            EXPECT_EQ(ici->window(), a.fenetre) << cle << ": the keyboard left the window";
            if (!atteints.contains(ici))
                atteints << ici;
            if (auto* b = qobject_cast<BoutonClavier*>(ici)) {
                EXPECT_GT(anneau(*b), 20) << cle << ": « " << b->text().toStdString() << " » reached without its ring";
            }
            if (auto* s = qobject_cast<QSlider*>(ici)) {
                EXPECT_GT(anneau(*s), 20) << cle << ": « " << s->accessibleName().toStdString() << " » reached without its ring";
            }
        }
        for (QWidget* w : attendus) {
            const auto* b = qobject_cast<QAbstractButton*>(w);
            EXPECT_TRUE(atteints.contains(w)) << cle << ": Tab never reaches « "
                                              << (b ? b->text() : w->accessibleName()).toStdString() << " »";
        }
        a.touche(Qt::Key_Escape);
        EXPECT_FALSE(a.ouverte()) << cle << ": Escape does not close";
    }
}

TEST(Clavier, EspacePresseLeBoutonAtteint)
{
    lierFFmpeg();
    Dossier d;
    const QString image = photo(d);
    // Tabs until `bouton` has the keyboard.
    const auto aller = [](Active& a, QWidget& bouton) {
        for (int i = 0; i < 30 && QApplication::focusWidget() != &bouton; ++i)
            a.touche(Qt::Key_Tab);
        return QApplication::focusWidget() == &bouton;
    };
    {
        // The light window: sliders named by their labels; « Automatique » and « Remettre à
        // zéro » pressed with Space.
        Active a("lumiere", image);
        auto* vue = qobject_cast<VueLumiere*>(a.vue);
        ASSERT_TRUE(attendre([&] { return !vue->apercu().isNull(); }));
        QStringList noms;
        for (QSlider* s : vue->findChildren<QSlider*>()) {
            QAccessibleInterface* i = QAccessible::queryAccessibleInterface(s);
            ASSERT_NE(i, nullptr);
            noms << i->text(QAccessible::Name);
        }
        EXPECT_EQ(noms, (QStringList{"Lumière", "Contraste", "Couleurs"}));
        Pilule* automatique = nullptr;
        Pilule* zero = nullptr;
        for (Pilule* p : vue->findChildren<Pilule*>()) {
            if (p->text() == QStringLiteral("Automatique"))
                automatique = p;
            if (p->text() == QStringLiteral("Remettre à zéro"))
                zero = p;
        }
        ASSERT_TRUE(automatique && zero);
        ASSERT_TRUE(aller(a, *automatique));
        a.touche(Qt::Key_Space);
        EXPECT_TRUE(vue->automatique());
        vue->setReglages(0.5, -0.25, 0.1, true);
        ASSERT_TRUE(aller(a, *zero));
        a.touche(Qt::Key_Space);
        EXPECT_EQ(vue->lumiere(), 0);
        EXPECT_EQ(vue->contraste(), 0);
        EXPECT_FALSE(vue->automatique());
    }
    {
        // The annotate window: Tab reaches the chosen tool and the chosen colour, the arrows
        // choose among them, the ring following.
        Active a("annoter", image);
        auto* vue = qobject_cast<VueAnnoter*>(a.vue);
        ASSERT_TRUE(attendre([&] { return vue->chargee(); }));
        ASSERT_TRUE(aller(a, *vue->boutonsOutils()[0]));
        a.touche(Qt::Key_Right);
        a.touche(Qt::Key_Right);
        EXPECT_EQ(vue->outil(), 2);
        EXPECT_GT(anneau(*vue->boutonsOutils()[2]), 10);
        ASSERT_TRUE(aller(a, *vue->boutonsCouleurs()[vue->couleur()]));
        const int avant = vue->couleur();
        a.touche(Qt::Key_Right);
        EXPECT_EQ(vue->couleur(), avant + 1);
        EXPECT_GT(anneau(*vue->boutonsCouleurs()[avant + 1]), 10);
        a.touche(Qt::Key_Space);
        EXPECT_EQ(vue->couleur(), avant + 1);
    }
    {
        // The trim window: Space plays from anywhere, but presses the button that has the
        // keyboard: the play button, then « Annuler », which closes.
        const QString son = d.chemin("son.wav");
        ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "sine=f=440:d=2", "-ar", "8000", "-ac", "1"}, son));
        Active a("couper", son);
        auto* vue = qobject_cast<VueCouper*>(a.vue);
        ASSERT_TRUE(attendre([&] { return vue->boutons().confirmation().isEnabled(); }, 20000));
        QSignalSpy lecture(&vue->apercu().bouton(), &QAbstractButton::clicked);
        ASSERT_TRUE(aller(a, vue->apercu().bouton()));
        a.touche(Qt::Key_Space);
        EXPECT_EQ(lecture.size(), 1);
        ASSERT_TRUE(aller(a, vue->boutons().annulation()));
        a.touche(Qt::Key_Space);
        EXPECT_FALSE(a.ouverte()) << "Space on « Annuler » did not close";
    }
}

// A text typed in the annotate window and kept with Return: the keyboard goes back to the
// window, not to the next button, so the next Space presses nothing and closes nothing.
TEST(Clavier, UnTexteFermeNeDonnePasLeClavierAUnBouton)
{
    Dossier d;
    Active a("annoter", photo(d));
    auto* vue = qobject_cast<VueAnnoter*>(a.vue);
    ASSERT_TRUE(attendre([&] { return vue->chargee(); }));
    vue->choisirOutil(2);
    const QPointF p = vue->toile().versEcran({200, 150});
    QTest::mouseClick(&vue->canevas(), Qt::LeftButton, Qt::NoModifier, p.toPoint());
    ASSERT_TRUE(vue->saisie());
    ASSERT_TRUE(attendre([&] { return vue->saisie()->hasFocus(); }, 3000));
    QTest::keyClicks(vue->saisie(), QStringLiteral("Ici"));
    a.touche(Qt::Key_Return);
    ASSERT_EQ(vue->faites().size(), 1);
    EXPECT_FALSE(qobject_cast<QAbstractButton*>(QApplication::focusWidget()))
        << "the keyboard went to « " << qobject_cast<QAbstractButton*>(QApplication::focusWidget())->text().toStdString()
        << " »";
    a.touche(Qt::Key_Space);
    EXPECT_TRUE(a.ouverte());
    EXPECT_EQ(vue->faites().size(), 1);
}

// « Masquer » pressed with Space on a full disk: while it saves and once it has failed, the
// keyboard is on no button, so a second Space does not close the window and lose the failure.
TEST(Clavier, UnEnregistrementAuClavierNeDonnePasLeClavierAAnnuler)
{
    Dossier d;
    Active a("masquer", photoDeGrain(d.chemin("grain.png")));
    auto* vue = qobject_cast<VueMasquer*>(a.vue);
    ASSERT_TRUE(attendre([&] { return !vue->cherche(); }));
    for (int i = 0; i < 10 && QApplication::focusWidget() != &vue->boutons().confirmation(); ++i)
        a.touche(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), &vue->boutons().confirmation());
    {
        DisquePlein plein(1024);
        a.touche(Qt::Key_Space);
        ASSERT_TRUE(attendre([&] { return !vue->occupe(); }));
    }
    ASSERT_FALSE(vue->erreur().isEmpty());
    EXPECT_NE(QApplication::focusWidget(), &vue->boutons().annulation());
    a.touche(Qt::Key_Space);
    EXPECT_TRUE(a.ouverte()) << "a second Space closed the window";
}

// The keyboard's traps and rings: « Retirer le dernier ajout », disabled by the press that took
// the last mark, hands the keyboard to the drawing, not to « Annuler »; before any Tab an
// arrow moves the annotate tools as it moves the crop formats; a click or a drag on the crop
// picture hides the ring as it does elsewhere.
TEST(Clavier, PiegesEtAnneaux)
{
    Dossier d;
    const QString image = photo(d);
    {
        Active a("annoter", image);
        auto* vue = qobject_cast<VueAnnoter*>(a.vue);
        ASSERT_TRUE(attendre([&] { return vue->chargee(); }));
        for (const QPointF& de : {QPointF(100, 100), QPointF(200, 150)})
            glisser(vue->canevas(), vue->toile().versEcran(de), vue->toile().versEcran(de + QPointF(80, 60)));
        ASSERT_EQ(vue->faites().size(), 2);
        for (int i = 0; i < 3; ++i)
            a.touche(Qt::Key_Tab);
        auto* ici = qobject_cast<QAbstractButton*>(QApplication::focusWidget());
        ASSERT_TRUE(ici && ici->accessibleName() == QStringLiteral("Retirer le dernier ajout"));
        a.touche(Qt::Key_Space);
        a.touche(Qt::Key_Space);
        EXPECT_TRUE(vue->faites().isEmpty());
        EXPECT_FALSE(qobject_cast<QAbstractButton*>(QApplication::focusWidget())) << "the keyboard went to a button";
        a.touche(Qt::Key_Space);
        EXPECT_TRUE(a.ouverte()) << "a third Space closed the window";
    }
    {
        Active a("annoter", image);
        auto* vue = qobject_cast<VueAnnoter*>(a.vue);
        ASSERT_TRUE(attendre([&] { return vue->chargee(); }));
        a.touche(Qt::Key_Right);
        EXPECT_EQ(vue->outil(), 1);
        EXPECT_EQ(QApplication::focusWidget(), vue->boutonsOutils()[1]);
        EXPECT_GT(anneau(*vue->boutonsOutils()[1]), 10);
    }
    Active a("recadrer", image);
    auto* vue = qobject_cast<VueRogner*>(a.vue);
    ASSERT_TRUE(attendre([&] { return vue->chargee(); }));
    ChoixPilules* formats = vue->findChild<ChoixPilules*>();
    QWidget& toile = vue->canevas();
    const QPointF milieu = QRectF(toile.rect()).center();
    for (const QPointF& a_ : {milieu, milieu + QPointF(30, 10)}) {
        a.touche(Qt::Key_Tab);
        ASSERT_GT(anneau(formats->option(0)), 20);
        glisser(toile, milieu, a_);  // a click, then a drag
        EXPECT_EQ(QApplication::focusWidget(), &formats->option(0));
        EXPECT_EQ(anneau(formats->option(0)), 0) << "the ring stays after a click on the picture";
    }
}

// The light window's sliders from the keyboard: an arrow moves one unit as shown, Page Up ten,
// and screen readers read the range and the value the window shows. « Automatique » says
// whether it is on.
TEST(Clavier, CurseursParUniteEtAutomatiqueCoche)
{
    Dossier d;
    Active a("lumiere", photo(d));
    auto* vue = qobject_cast<VueLumiere*>(a.vue);
    ASSERT_TRUE(attendre([&] { return !vue->apercu().isNull(); }));
    a.touche(Qt::Key_Tab);
    auto* curseur = qobject_cast<QSlider*>(QApplication::focusWidget());
    ASSERT_TRUE(curseur && curseur->accessibleName() == QStringLiteral("Lumière"));
    QAccessibleInterface* lu = QAccessible::queryAccessibleInterface(curseur);
    ASSERT_TRUE(lu && lu->valueInterface());
    EXPECT_EQ(lu->valueInterface()->minimumValue().toInt(), -100);
    EXPECT_EQ(lu->valueInterface()->maximumValue().toInt(), 100);
    const struct {
        Qt::Key touche;
        QString montre;
    } pas[] = {{Qt::Key_Right, "1"}, {Qt::Key_PageUp, "11"}, {Qt::Key_Left, "10"}, {Qt::Key_PageDown, "0"}};
    for (const auto& p : pas) {
        a.touche(p.touche);
        EXPECT_EQ(Reglages::affichage(vue->lumiere()), p.montre);
        EXPECT_EQ(lu->valueInterface()->currentValue().toString(), p.montre);
        EXPECT_EQ(vue->entete().pastille(), p.montre == "0" ? QStringLiteral("d'origine") : QStringLiteral("retouchée"));
    }
    Pilule* automatique = nullptr;
    for (Pilule* p : vue->findChildren<Pilule*>())
        if (p->text() == QStringLiteral("Automatique"))
            automatique = p;
    ASSERT_TRUE(automatique);
    for (int i = 0; i < 10 && QApplication::focusWidget() != automatique; ++i)
        a.touche(Qt::Key_Tab);
    QAccessibleInterface* bouton = QAccessible::queryAccessibleInterface(automatique);
    ASSERT_TRUE(bouton);
    for (const bool attendu : {true, false}) {
        a.touche(Qt::Key_Space);
        EXPECT_EQ(vue->automatique(), attendu);
        EXPECT_TRUE(bouton->state().checkable);
        EXPECT_EQ(bool(bouton->state().checked), attendu);
    }
    vue->setReglages(0, 0, 0, true);
    EXPECT_TRUE(bouton->state().checked);
}
