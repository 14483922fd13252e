// Motion as the components play it: each curve sampled at a few instants against the
// standard timing curves and springs, computed here independently of the animator.
#include "tesselui/BoutonAnime.h"
#include "tesselui/CommitField.h"
#include "tesselui/Motion.h"
#include "tesselui/Rezuz.h"

#include <QDir>
#include <QEnterEvent>
#include <QFile>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

namespace {

// A cubic Bézier timing curve (x1, 0), (x2, 1) solved by Newton's method on x(t) = u.
double courbe(double x1, double x2, double u)
{
    const auto b = [](double a, double c, double t) { return 3 * (1 - t) * (1 - t) * t * a + 3 * (1 - t) * t * t * c + t * t * t; };
    double t = u;
    for (int i = 0; i < 50; ++i) {
        const double d = 3 * (1 - t) * (1 - t) * x1 + 6 * (1 - t) * t * (x2 - x1) + 3 * t * t * (1 - x2);
        if (std::abs(d) < 1e-12)
            break;
        t -= (b(x1, x2, t) - u) / d;
    }
    return b(0, 1, t);
}
double easeOut(double u) { return courbe(0, 0.58, u); }
double easeInOut(double u) { return courbe(0.42, 0.58, u); }

// An underdamped spring of that response and damping fraction, released at rest from `de`
// towards `a`: its closed-form position after t seconds.
double ressort(double reponse, double amortissement, double de, double a, double t)
{
    const double w = 2 * std::numbers::pi / reponse, zw = amortissement * w;
    const double wd = w * std::sqrt(1 - amortissement * amortissement);
    return a + (de - a) * std::exp(-zw * t) * (std::cos(wd * t) + zw / wd * std::sin(wd * t));
}

struct MouvementNormal {
    bool avant = Motion::reduire();
    MouvementNormal() { Motion::reduire() = false; }
    ~MouvementNormal() { Motion::reduire() = avant; }
};

} // namespace

TEST(Mouvements, LesTroisCourbesSuiventLeursPointsDeControle)
{
    for (double u : {0.1, 0.25, 0.5, 0.75, 0.9}) {
        EXPECT_NEAR(progression(Courbe::easeOut, u), easeOut(u), 1e-6) << u;
        EXPECT_NEAR(progression(Courbe::easeInOut, u), easeInOut(u), 1e-6) << u;
        EXPECT_NEAR(progression(Courbe::easeIn, u), courbe(0.42, 1, u), 1e-6) << u;
    }
    // Published values of the standard curves at mid-time.
    EXPECT_NEAR(progression(Courbe::easeOut, 0.5), 0.6846, 1e-3);
    EXPECT_NEAR(progression(Courbe::easeInOut, 0.5), 0.5, 1e-9);
    EXPECT_NEAR(progression(Courbe::easeIn, 0.5), 0.3154, 1e-3);
    EXPECT_EQ(progression(Courbe::easeInOut, -1), 0);
    EXPECT_EQ(progression(Courbe::easeInOut, 2), 1);
}

TEST(Mouvements, LeSurvolDUnBoutonIconeSAllumeEnDouzeCentiemes)
{
    MouvementNormal m;
    IconButton b(QStringLiteral("close-circle"));
    b.show();
    QEnterEvent entree(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(&b, &entree);
    EXPECT_TRUE(b.survole());
    EXPECT_EQ(b.survolCourant(), 0);
    b.animateur().avancer(0.03);
    EXPECT_NEAR(b.survolCourant(), easeOut(0.25), 1e-3);
    b.animateur().avancer(0.03);
    EXPECT_NEAR(b.survolCourant(), easeOut(0.5), 1e-3);
    b.animateur().avancer(0.061);
    EXPECT_DOUBLE_EQ(b.survolCourant(), 1);
    // The highlight is painted at that share: the panel colour fades in at the centre.
    QEvent sortie(QEvent::Leave);
    QApplication::sendEvent(&b, &sortie);
    b.animateur().avancer(0.06);
    EXPECT_NEAR(b.survolCourant(), 1 - easeOut(0.5), 1e-3);
    // Disabled, a hover never lights it.
    b.animateur().terminer();
    b.setEnabled(false);
    QApplication::sendEvent(&b, &entree);
    b.animateur().avancer(0.2);
    EXPECT_EQ(b.survolCourant(), 0);
}

TEST(Mouvements, LaBasculeSEnfonceSurLeRessortVifEtSAllumeSurLeRessortRebondissant)
{
    MouvementNormal m;
    ToolToggle t(QStringLiteral("crop"));
    t.resize(t.sizeHint());
    t.show();
    QTest::mousePress(&t, Qt::LeftButton, {}, QPoint(15, 13));
    for (double instant : {0.05, 0.1, 0.2}) {
        t.animateur().avancer(instant - (instant == 0.05 ? 0 : instant == 0.1 ? 0.05 : 0.1));
        EXPECT_NEAR(t.echelleCourante(), ressort(0.3, 0.6, 1, 0.86, instant), 0.004) << instant;
    }
    t.animateur().terminer();
    // The release turns it on: from 0.86 to 1.06 on the bouncy spring, not the snappy one.
    QTest::mouseRelease(&t, Qt::LeftButton, {}, QPoint(15, 13));
    ASSERT_TRUE(t.isChecked());
    t.animateur().avancer(0.1);
    EXPECT_NEAR(t.echelleCourante(), ressort(0.45, 0.55, 0.86, 1.06, 0.1), 0.004);
    EXPECT_GT(std::abs(t.echelleCourante() - ressort(0.3, 0.6, 0.86, 1.06, 0.1)), 0.02);
}

TEST(Mouvements, LeChampPasseAuFocusEnDouzeCentiemes)
{
    CadreChamp cadre(new QLineEdit);
    cadre.setFocused(true);
    EXPECT_EQ(cadre.focusCourant(), 0);
    cadre.animateur().avancer(0.06);
    EXPECT_NEAR(cadre.focusCourant(), easeOut(0.5), 1e-3);
    cadre.animateur().avancer(0.07);
    EXPECT_DOUBLE_EQ(cadre.focusCourant(), 1);
    cadre.setFocused(false);
    cadre.animateur().avancer(0.03);
    EXPECT_NEAR(cadre.focusCourant(), 1 - easeOut(0.25), 1e-3);
}

TEST(Mouvements, LaMascotteRevientALHumeurNormaleEtClignePosement)
{
    MouvementNormal m;
    QWidget parent;
    auto* r = new Rezuz(40, MascotBody::round(), &parent);
    r->celebrate(Rezuz::Mood::love);
    r->animateur().terminer();
    EXPECT_EQ(r->mood(), Rezuz::Mood::love);
    r->revenirALaNormale();
    EXPECT_EQ(r->mood(), Rezuz::Mood::normal);
    EXPECT_DOUBLE_EQ(r->retourHumeur(), 1);
    for (double u : {0.25, 0.5, 0.75}) {
        r->animateur().avancer(0.0625);
        EXPECT_NEAR(r->retourHumeur(), 1 - easeInOut(u), 1e-3) << u;
    }
    r->animateur().avancer(0.07);
    EXPECT_EQ(r->retourHumeur(), 0);
    // A blink closes the eyes to 0.12 over 0.09 s, eased in and out, then opens them over 0.12 s.
    r->cligner();
    r->animateur().avancer(0.0225);
    EXPECT_NEAR(r->paupiere(), 1 - 0.88 * easeInOut(0.25), 1e-3);
    r->animateur().avancer(0.0225);
    EXPECT_NEAR(r->paupiere(), 1 - 0.88 * easeInOut(0.5), 1e-3);
    r->animateur().avancer(0.05);
    EXPECT_NEAR(r->paupiere(), 0.12, 1e-9);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !r->blink(); }, 2000));
    r->animateur().terminer();
    EXPECT_EQ(r->paupiere(), 1);
}

TEST(Mouvements, LeReglageDuBureauEstSuiviQuandIlChange)
{
    // GTK's settings file in a folder of our own, watched from the start.
    QTemporaryDir config;
    ASSERT_TRUE(config.isValid());
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    ASSERT_TRUE(QDir(config.path()).mkpath(QStringLiteral("gtk-3.0")));
    const QString ini = config.path() + QStringLiteral("/gtk-3.0/settings.ini");
    const auto ecrire = [&](const char* valeur) {
        QFile f(ini);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QByteArray("[Settings]\ngtk-enable-animations=") + valeur + "\n");
    };
    ecrire("true");
    const bool gnome = Motion::reduitDuBureau();  // GNOME's own key, when its schema is there
    Motion::suivreBureau();
    Motion::setReduire(gnome);
    QWidget parent;
    auto* r = new Rezuz(40, MascotBody::round(), &parent);
    parent.show();
    if (gnome)
        GTEST_SKIP() << "GNOME's key already reduces motion here";
    EXPECT_FALSE(Motion::reduire());
    EXPECT_TRUE(r->liveRunning());
    QSignalSpy change(&Motion::veilleur(), &Motion::Veilleur::change);
    ecrire("false");
    ASSERT_TRUE(QTest::qWaitFor([] { return Motion::reduire(); }, 5000));
    EXPECT_EQ(change.size(), 1);
    // The mascot stops looking around at once, as it does when it first shows reduced.
    EXPECT_FALSE(r->liveRunning());
    EXPECT_EQ(r->gaze(), QPointF(0.3, 0));
    ecrire("1");
    ASSERT_TRUE(QTest::qWaitFor([] { return !Motion::reduire(); }, 5000));
    EXPECT_TRUE(r->liveRunning());
}

TEST(Mouvements, LeReglageEstSuiviMemeQuandSonDossierNaitApres)
{
    // No configuration folder at all when the watch starts: GTK's folder and file are made
    // later, as a first visit to the desktop's settings does.
    QTemporaryDir racine;
    ASSERT_TRUE(racine.isValid());
    const QString config = racine.path() + QStringLiteral("/maison/.config");
    qputenv("XDG_CONFIG_HOME", config.toUtf8());
    const bool gnome = Motion::reduitDuBureau();
    Motion::suivreBureau();
    Motion::setReduire(gnome);
    if (gnome)
        GTEST_SKIP() << "GNOME's key already reduces motion here";
    const auto ecrire = [&](const char* valeur) {
        ASSERT_TRUE(QDir().mkpath(config + QStringLiteral("/gtk-3.0")));
        QFile f(config + QStringLiteral("/gtk-3.0/settings.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QByteArray("[Settings]\ngtk-enable-animations=") + valeur + "\n");
    };
    // Each level appears in its own turn of the event loop, then the file.
    ASSERT_TRUE(QDir().mkpath(racine.path() + QStringLiteral("/maison")));
    QTest::qWait(100);
    ASSERT_TRUE(QDir().mkpath(config));
    QTest::qWait(100);
    ecrire("false");
    EXPECT_TRUE(QTest::qWaitFor([] { return Motion::reduire(); }, 5000));
    // From then on the file itself is followed.
    ecrire("true");
    EXPECT_TRUE(QTest::qWaitFor([] { return !Motion::reduire(); }, 5000));
    ecrire("0");
    EXPECT_TRUE(QTest::qWaitFor([] { return Motion::reduire(); }, 5000));
    // The whole tree made at once, between two looks at it.
    Motion::setReduire(false);
    const QString ailleurs = racine.path() + QStringLiteral("/autre/a/b");
    qputenv("XDG_CONFIG_HOME", ailleurs.toUtf8());
    Motion::suivreBureau();
    ASSERT_TRUE(QDir().mkpath(ailleurs + QStringLiteral("/gtk-3.0")));
    QFile f(ailleurs + QStringLiteral("/gtk-3.0/settings.ini"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[Settings]\ngtk-enable-animations=false\n");
    f.close();
    EXPECT_TRUE(QTest::qWaitFor([] { return Motion::reduire(); }, 5000));
    Motion::setReduire(false);
}
