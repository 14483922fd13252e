// The notice queue and its toast, with short durations.
#include "tesselui/BoutonAnime.h"
#include "tesselui/NoticeToast.h"
#include "tesselui/Rezuz.h"
#include "tesselui/Theme.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <functional>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

struct Courtes {
    Notices::Durees avant = Notices::durees();
    Courtes() { Notices::durees() = {0.05, 0.6, 0.6, 1.2, 0.1}; }
    ~Courtes()
    {
        Notices::durees() = avant;
        while (Notices::shared().take()) {
        }
    }
};

} // namespace

TEST(Notices, DesFilsPostentSansRienPerdreEtDansLOrdre)
{
    Courtes c;
    Notices& n = Notices::shared();
    QList<QThread*> fils;
    for (int f = 0; f < 4; ++f)
        fils << QThread::create([&n, f] {
            for (int i = 0; i < 50; ++i)
                n.info(QStringLiteral("%1-%2").arg(f).arg(i));
        });
    for (QThread* t : fils)
        t->start();
    for (QThread* t : fils) {
        t->wait();
        delete t;
    }
    EXPECT_EQ(n.pending(), 200);
    QList<int> dernier(4, -1);
    while (const auto x = n.take()) {
        const QStringList p = x->title.split('-');
        EXPECT_GT(p[1].toInt(), dernier[p[0].toInt()]);
        dernier[p[0].toInt()] = p[1].toInt();
    }
    EXPECT_EQ(dernier, QList<int>(4, 49));
    EXPECT_FALSE(n.take());
    const Notice a(Notice::Kind::info, "x"), b(Notice::Kind::info, "x");
    EXPECT_NE(a, b);
    EXPECT_EQ(a, a);
    n.error(QStringLiteral("Échec"), std::runtime_error("Impossible de lire « a.png »"));
    EXPECT_EQ(*n.take()->detail, "Impossible de lire « a.png »");
    EXPECT_EQ(Notices::texte("notices.reveal"), "Afficher dans le dossier");
    EXPECT_EQ(Notices::texte("notices.close"), "Fermer");
}

TEST(NoticeToast, UneNoticeALaFoisQuandLaFenetreEstActive)
{
    Courtes c;
    QWidget fenetre;
    fenetre.resize(600, 300);
    NoticeToast toast(&fenetre);
    QStringList reveles;
    const auto revelateur = Notices::revelateur();
    Notices::revelateur() = [&](const QString& f) { reveles << f; };
    QWidget ailleurs;
    fenetre.show();
    ailleurs.show();
    QApplication::setActiveWindow(&ailleurs);
    // Posted while the window is not active: it waits.
    Notices::shared().error(QStringLiteral("Échec"), QStringLiteral("détail"));
    QTest::qWait(50);
    EXPECT_FALSE(toast.shown());
    QApplication::setActiveWindow(&fenetre);
    ASSERT_TRUE(QTest::qWaitFor([&] { return toast.shown(); }, 1000));
    Notices::shared().success(QStringLiteral("Fait"), std::nullopt, QStringLiteral("/tmp/a.jpg"));
    Notices::shared().info(QString(500, QLatin1Char('i')));
    QTest::qWait(50);
    EXPECT_EQ(toast.current()->title, "Échec");
    EXPECT_FALSE(toast.revealButton()->isVisible());
    // The error stays its 1.2 s; then the success, with its reveal button and a celebration.
    QTest::qWait(300);
    EXPECT_EQ(toast.current()->title, "Échec");
    ASSERT_TRUE(QTest::qWaitFor([&] { return toast.shown() && toast.current()->title == "Fait"; }, 3000));
    EXPECT_TRUE(toast.revealButton()->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return toast.mascotte().mood() == Rezuz::Mood::love; }, 1000));
    toast.revealButton()->click();
    EXPECT_EQ(reveles, QStringList{"/tmp/a.jpg"});
    EXPECT_TRUE(toast.shown());
    // Closed early: the long one follows, inside the window.
    toast.closeButton()->click();
    EXPECT_FALSE(toast.shown());
    ASSERT_TRUE(QTest::qWaitFor([&] { return toast.shown() && toast.current()->title.size() == 500; }, 2000));
    toast.stabiliser();
    EXPECT_TRUE(QRect(0, 0, 600, 300).contains(toast.geometry())) << toast.geometry().x() << " " << toast.width();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !toast.shown(); }, 2000));
    toast.stabiliser();
    EXPECT_FALSE(toast.isVisible());
    Notices::revelateur() = revelateur;
}

TEST(NoticeToast, ChaqueNoticeResteSonTempsNiMoinsNiPlus)
{
    Courtes c;
    QWidget fenetre;
    fenetre.resize(600, 300);
    NoticeToast toast(&fenetre);
    fenetre.show();
    QApplication::setActiveWindow(&fenetre);
    QTest::qWait(50);
    const auto attendre = [](const std::function<bool()>& condition) {
        QElapsedTimer t;
        t.start();
        while (!condition() && t.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        return condition();
    };
    // Each notice comes up at the same place within a fifth of a second of the system's
    // clock, where a timer allowed to round its wake-up would shorten the stay.
    for (const auto& [sorte, duree] : {std::pair{Notice::Kind::info, 0.6}, {Notice::Kind::error, 1.2}}) {
        ASSERT_TRUE(attendre([&] { return !toast.shown(); }));
        QTest::qWait(200);
        QElapsedTimer horloge;
        do
            horloge.start();
        while (horloge.msecsSinceReference() % 200 != 60);
        Notices::shared().post(Notice(sorte, QStringLiteral("Tenue")));
        ASSERT_TRUE(attendre([&] { return toast.shown(); }));
        QElapsedTimer tenue;
        tenue.start();
        ASSERT_TRUE(attendre([&] { return !toast.shown(); }));
        const double secondes = tenue.nsecsElapsed() / 1e9;
        // A rounded timer hides them 30 and 60 ms early here; the margins only absorb a
        // loaded machine's scheduling.
        EXPECT_GE(secondes, duree - 0.01) << int(sorte);
        EXPECT_LT(secondes, duree + 0.25) << int(sorte);
    }
}

TEST(NoticeToast, LaBandeDuSautNePrendQueLesClicsOuLaMascotteEstDessinee)
{
    Courtes c;
    Notices::durees().info = 30;
    QWidget fenetre;
    fenetre.resize(600, 300);
    auto* dessous = new PillButton(QStringLiteral("Dessous"), PillButtonStyle::pill(), &fenetre);
    NoticeToast toast(&fenetre);
    fenetre.show();
    QApplication::setActiveWindow(&fenetre);
    Notices::shared().info(QStringLiteral("Conversion terminée"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return toast.shown(); }, 2000));
    toast.stabiliser();
    QTest::qWait(50);
    // A button beneath the clear band above the capsule, over the mascot's column.
    const QRect mascotte = toast.mascotte().geometry();
    const QPoint haut = toast.mapTo(&fenetre, QPoint(mascotte.center().x(), toast.capsule().top()));
    dessous->setGeometry(haut.x() - 40, haut.y() - 30, 80, 30);
    toast.raise();
    ASSERT_GE(toast.capsule().top(), 10);
    QSignalSpy clics(dessous, &QAbstractButton::clicked);
    // Drawn where it stands: the mascot's body near the top and the bottom of its frame, the
    // capsule's edge at the toast's bottom.
    const QImage vue = fenetre.grab().toImage();
    const QColor corps = Theme::de(Theme::brandAccent(), &toast);
    for (int y : {mascotte.top() + 5, mascotte.bottom() - 5}) {
        const QColor c = vue.pixelColor(toast.mapTo(&fenetre, QPoint(mascotte.center().x(), y)));
        EXPECT_LE(std::abs(c.red() - corps.red()) + std::abs(c.green() - corps.green()) + std::abs(c.blue() - corps.blue()), 12)
            << y << " " << c.name().toStdString();
    }
    // The mascot at rest sits inside the capsule: a press 10 above it, or 2 above it, reaches
    // the button.
    for (int d : {10, 2}) {
        QTest::mouseClick(fenetre.windowHandle(), Qt::LeftButton, {}, haut - QPoint(0, d));
        EXPECT_EQ(clics.size(), 1) << d;
        clics.clear();
    }
    // At the top of a drop the body rises above the capsule: there, and only there, the
    // toast takes the press.
    toast.mascotte().jump(Rezuz::JumpKind::drop);
    ASSERT_TRUE(QTest::qWaitFor([&] { return toast.mascotte().currentPose().lift < -0.32; }, 2000));
    QTest::mouseClick(fenetre.windowHandle(), Qt::LeftButton, {}, haut - QPoint(0, 2));
    EXPECT_EQ(clics.size(), 0) << toast.mascotte().currentPose().lift;
    QTest::mouseClick(fenetre.windowHandle(), Qt::LeftButton, {}, haut - QPoint(0, 10));
    EXPECT_EQ(clics.size(), 1);
    // Back at rest, the band lets presses through again.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !toast.mascotte().jumping(); }, 3000));
    QTest::qWait(50);
    clics.clear();
    QTest::mouseClick(fenetre.windowHandle(), Qt::LeftButton, {}, haut - QPoint(0, 2));
    EXPECT_EQ(clics.size(), 1);
    toast.hideNotice();
}
