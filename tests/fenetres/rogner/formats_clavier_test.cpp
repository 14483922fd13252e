// The crop window's formats from the keyboard after the mouse: the arrows move the choice
// from the format chosen last, whoever chose it, and Tab lands on that format.
#include "commun/Attendre.h"
#include "commun/Dossier.h"
#include "fenetres/commun/ChoixPilules.h"
#include "fenetres/commun/Entete.h"
#include "fenetres/commun/FenetreOutil.h"
#include "fenetres/commun/Outils.h"
#include "fenetres/rogner/VueRogner.h"

#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct Rognage {
    FenetreOutil* fenetre = nullptr;
    VueRogner* vue = nullptr;
    ChoixPilules* formats = nullptr;

    explicit Rognage(const QString& source)
    {
        EXPECT_TRUE(Outils::ouvrir(QStringLiteral("recadrer"), source, [](const QString&) {}));
        fenetre = FenetreOutil::ouvertes().last();
        vue = fenetre->findChild<VueRogner*>();
        formats = vue->findChild<ChoixPilules*>();
        EXPECT_TRUE(attendre([&] { return vue->chargee(); }));
        QApplication::setActiveWindow(fenetre);
        EXPECT_TRUE(attendre([&] { return fenetre->isActiveWindow(); }, 3000));
    }
    ~Rognage()
    {
        fenetre->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    void cliquer(int index) { QTest::mouseClick(&formats->option(index), Qt::LeftButton); }
    void touche(Qt::Key k) { QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : fenetre, k); }
};

QString photo(const Dossier& d)
{
    const QString chemin = d.chemin("photo.png");
    QImage image(400, 300, QImage::Format_RGB32);
    image.fill(qRgb(40, 120, 90));
    image.save(chemin);
    return chemin;
}

} // namespace

TEST(FormatsAuClavier, LesFlechesPartentDuFormatChoisiALaSouris)
{
    Dossier d;
    const QString source = photo(d);
    {
        // Right after opening: a click on « 9:16 », then the first Tab rings « 9:16 ».
        Rognage r(source);
        r.cliquer(3);
        ASSERT_EQ(r.vue->format(), 3);
        r.touche(Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), &r.formats->option(3));
        // Right chooses « 16:9 », and the badge follows.
        r.touche(Qt::Key_Right);
        EXPECT_EQ(r.vue->format(), 4);
        EXPECT_TRUE(r.formats->option(4).isChecked());
        EXPECT_EQ(QApplication::focusWidget(), &r.formats->option(4));
        const QSize region = Cadre::region(r.vue->cadre(), {400, 300}).size();
        EXPECT_EQ(r.vue->entete().pastille(), QStringLiteral("%1 × %2 px").arg(region.width()).arg(region.height()));
    }
    {
        // The keyboard first, then the mouse elsewhere: the arrows start from the clicked one.
        Rognage r(source);
        r.touche(Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), &r.formats->option(0));
        r.touche(Qt::Key_Right);
        ASSERT_EQ(r.vue->format(), 1);
        r.cliquer(3);
        ASSERT_EQ(r.vue->format(), 3);
        r.touche(Qt::Key_Left);
        EXPECT_EQ(r.vue->format(), 2);
        EXPECT_EQ(r.formats->choisi(), 2);
        // Space on the ringed format keeps it: nothing jumps back.
        r.touche(Qt::Key_Space);
        EXPECT_EQ(r.vue->format(), 2);
    }
}
