// The wheel view's motion: opening pop or fade, the tab's spring, the delayed tools, lit cells.
#include "commun/Dossier.h"
#include "roue/EtatRoue.h"
#include "roue/Retouche.h"
#include "roue/Symboles.h"
#include "roue/VueRoue.h"
#include "tesselui/Motion.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

constexpr double image = 1.0 / 60;

class VueTest : public ::testing::Test {
protected:
    void SetUp() override { vue.setReduire(false); }
    // Steps the view's animator by whole frames for `secondes`; returns the highest opening seen.
    double avancer(double secondes)
    {
        double haut = vue.ouverture();
        for (double t = 0; t < secondes - 1e-9; t += image) {
            vue.animateur().avancer(image);
            haut = std::max(haut, vue.ouverture());
        }
        return haut;
    }
    QImage peindre()
    {
        QImage im(640, 640, QImage::Format_ARGB32_Premultiplied);
        im.fill(Qt::transparent);
        QPainter p(&im);
        vue.peindre(p);
        return im;
    }
    void offrir(const Roue::Retouche& offre)
    {
        etat.setRetouche(offre);
        etat.setPetales({{"jpg", "JPG", "photo", {}}, {"png", "PNG", "photo", {}}, offre.petale()});
    }
    Roue::EtatRoue etat;
    Roue::VueRoue vue{etat};
};

} // namespace

// Half open, the whole wheel is translucent (the mascot's face in the middle too).
TEST_F(VueTest, OpeningPopsOnASpringAndClosingFades)
{
    EXPECT_DOUBLE_EQ(vue.ouverture(), 0);
    etat.setPetales({{"jpg", "JPG", "photo", {}}});
    etat.setOuverte(true);
    vue.animateur().avancer(0.03);
    EXPECT_GT(vue.ouverture(), 0);
    EXPECT_LT(vue.ouverture(), 1);
    const int milieu = peindre().pixelColor(320, 320).alpha();
    EXPECT_GT(milieu, 0);
    EXPECT_LT(milieu, 200);
    EXPECT_GT(avancer(1.5), 1.01);  // damping 0.68 overshoots
    EXPECT_NEAR(vue.ouverture(), 1, 1e-3);
    EXPECT_EQ(peindre().pixelColor(320, 320).alpha(), 255);
    etat.setOuverte(false);
    avancer(1.5);
    EXPECT_DOUBLE_EQ(vue.ouverture(), 0);
    EXPECT_FALSE(vue.animateur().actif());
}

TEST_F(VueTest, ReducedMotionOnlyFadesAndChangesTheRestAtOnce)
{
    vue.setReduire(true);
    etat.setOuverte(true);
    // A 0.15 s ease-out, without overshoot.
    avancer(0.05);
    EXPECT_GT(vue.ouverture(), 0.2);
    EXPECT_LT(vue.ouverture(), 1);
    EXPECT_DOUBLE_EQ(avancer(0.12), 1);
    offrir(Roue::Retouche::offreImage());
    etat.setSurvol(1);
    etat.setPanneau(true);
    etat.setOutil(2);
    EXPECT_FALSE(vue.animateur().actif());
    EXPECT_DOUBLE_EQ(vue.onglet(), 1);
    EXPECT_DOUBLE_EQ(vue.opaciteOutils(), 1);
    EXPECT_GT(vue.echellePetale("png"), 1);
    EXPECT_GT(vue.echelleOutil(2), 1);
}

TEST_F(VueTest, ArcGrowsTheTabThenFadesTheToolsInAfterADelay)
{
    offrir(Roue::Retouche::offrePDF());
    etat.setOuverte(true);
    vue.stabiliser();
    etat.setSurvol(2);
    etat.setPanneau(true);
    avancer(0.1);
    EXPECT_GT(vue.onglet(), 0.2);             // the tab is on its way
    EXPECT_DOUBLE_EQ(vue.opaciteOutils(), 0); // the tools wait 0.12 s
    avancer(0.1);
    EXPECT_GT(vue.opaciteOutils(), 0);
    // The "Modifier" petal is lit while the arc is open, even on a tool.
    etat.setSurvol(std::nullopt);
    etat.setOutil(1);
    avancer(1);
    EXPECT_DOUBLE_EQ(vue.opaciteOutils(), 1);
    EXPECT_GT(vue.echellePetale("modifier"), 1.01);
    EXPECT_GT(vue.echelleOutil(1), 1.01);
    EXPECT_NEAR(vue.echelleOutil(0), 1, 1e-9);
    EXPECT_NEAR(vue.onglet(), 1, 1e-3);
    // Closing: the tools fade at once, the tab springs back.
    etat.setOutil(std::nullopt);
    etat.setPanneau(false);
    avancer(0.05);
    EXPECT_LT(vue.opaciteOutils(), 1);
    avancer(1.5);
    EXPECT_DOUBLE_EQ(vue.opaciteOutils(), 0);
    EXPECT_DOUBLE_EQ(vue.onglet(), 0);
    EXPECT_DOUBLE_EQ(vue.echellePetale("modifier"), 1);
}

TEST_F(VueTest, HoverSpringsFollowThePetalsByIdentifier)
{
    QList<Conversions::Petale> petales{{"jpg", "JPG", "photo", {}}, {"png", "PNG", "photo", {}}, {"zip", "Zip", "doc.zipper", {}}};
    etat.setPetales(petales);
    etat.setSurvol(1);
    avancer(0.06);
    const double enCours = vue.echellePetale("png");
    EXPECT_GT(enCours, 1);
    // The list changes under the pointer: "png" keeps its spring where it stood.
    petales.removeFirst();
    etat.setPetales(petales);
    EXPECT_DOUBLE_EQ(vue.echellePetale("png"), enCours);
    etat.setSurvol(0);
    avancer(1.5);
    EXPECT_GT(vue.echellePetale("png"), enCours);
    EXPECT_DOUBLE_EQ(vue.echellePetale("jpg"), 1);
}

TEST_F(VueTest, GlassFrostsWhatLiesBehind)
{
    etat.setOuverte(true);
    vue.stabiliser();
    // Sharp stripes behind the panel, as a snapshot of the screen would show them.
    QPixmap fond(640, 640);
    {
        QPainter p(&fond);
        for (int x = 0; x < 640; x += 8) {
            p.fillRect(x, 0, 4, 640, Qt::black);
            p.fillRect(x + 4, 0, 4, 640, Qt::white);
        }
    }
    const QImage sans = peindre();
    vue.setArrierePlan(fond);
    const QImage avec = peindre();
    // Inside the disc, off the petals: opaque and even across the stripes; before, see-through.
    int ecart = 0;
    for (int x = 300; x < 340; ++x)
        ecart = std::max(ecart, std::abs(avec.pixelColor(x, 141).lightness() - avec.pixelColor(300, 141).lightness()));
    EXPECT_LE(ecart, 12);
    EXPECT_GT(avec.pixelColor(320, 141).alpha(), 250);
    EXPECT_LT(sans.pixelColor(320, 141).alpha(), 200);
    // Outside the disc nothing is painted either way: the panel shows its own snapshot there.
    EXPECT_EQ(avec.pixelColor(20, 20).alpha(), 0);
    vue.setArrierePlan(QPixmap());
    EXPECT_EQ(peindre(), sans);
}

TEST(Symboles, EverySymbolOfTheCatalogueAndTheOffersHasAnIcon)
{
    // Every symbol name written in the catalogue's source, the offers' tools, and the table's own.
    QFile source(QStringLiteral(VEMO_SOURCE_DIR "/src/conversions/Catalogue.cpp"));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    QStringList noms{QStringLiteral("pencil"), QStringLiteral("ellipsis")};
    static const QRegularExpression symbole(QStringLiteral("\"([a-z0-9]+(?:\\.[a-z0-9]+)+|photo|film|waveform|"
                                                           "scissors|archivebox)\""));
    for (auto m = symbole.globalMatch(QString::fromUtf8(source.readAll())); m.hasNext();)
        noms.append(m.next().captured(1));
    for (const Roue::Retouche& offre : {Roue::Retouche::offrePDF(), Roue::Retouche::offreImage()})
        for (const Roue::Retouche::Outil& outil : offre.outils)
            noms.append(outil.symbole);
    EXPECT_GE(noms.size(), 24);
    noms += Symboles::noms();
    noms.removeDuplicates();
    for (const QString& nom : std::as_const(noms)) {
        const QImage im = Symboles::image(nom, 17, Qt::red, 2);
        ASSERT_EQ(im.width(), 34) << nom.toStdString();
        // Drawn, in the tint: some opaque red pixels and nothing of another hue.
        int rouges = 0, autres = 0;
        for (int y = 0; y < im.height(); ++y)
            for (int x = 0; x < im.width(); ++x) {
                const QColor c = im.pixelColor(x, y);
                if (c.alpha() > 200)
                    (c.red() > 200 && c.green() < 40 && c.blue() < 40 ? rouges : autres)++;
            }
        EXPECT_GT(rouges, 20) << nom.toStdString();
        EXPECT_EQ(autres, 0) << nom.toStdString();
    }
    EXPECT_TRUE(Symboles::image(QStringLiteral("n.existe.pas"), 17, Qt::red, 1).isNull());
}

TEST(VueFenetre, ShownWheelAnimatesOnItsOwnTimerThenRestsAndPaints)
{
    Roue::EtatRoue etat;
    Roue::VueRoue vue(etat);
    vue.setReduire(false);
    vue.show();
    etat.setOuverte(true);
    QElapsedTimer montre;
    montre.start();
    while (vue.animateur().actif() && montre.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    EXPECT_FALSE(vue.animateur().actif());
    EXPECT_NEAR(vue.ouverture(), 1, 1e-9);
    // Painted through the widget: the mascot's face is opaque, the corners clear.
    const QImage im = vue.grab().toImage();
    EXPECT_GT(im.pixelColor(im.width() / 2, im.height() / 2).alpha(), 250);
    EXPECT_EQ(im.pixelColor(2, 2).alpha(), 0);
}

TEST(VueMouvement, GtkSettingAsksToReduceMotion)
{
    Dossier d;
    const QByteArray ancien = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", d.racine().toLocal8Bit());
    const bool sansFichier = Roue::VueRoue::mouvementReduitDuBureau();
    // Animations off, in any spelling, ask for reduced motion (the view reads it when built);
    // animations on, or a damaged file, leave the choice to the other desktop settings.
    const std::pair<QByteArray, bool> cas[] = {{"[Settings]\ngtk-theme-name=Adwaita\ngtk-enable-animations=false\n", true},
                                               {"[Settings]\ngtk-enable-animations= FALSE \n", true},
                                               {"[Settings]\ngtk-enable-animations=0\n", true},
                                               {"[Settings]\ngtk-enable-animations=true\n", sansFichier},
                                               {QByteArray("\xff\xfe[[[\n=\n", 9), sansFichier}};
    for (const auto& [texte, reduit] : cas) {
        d.ecrire("gtk-3.0/settings.ini", texte);
        Roue::EtatRoue etat;
        EXPECT_EQ(Roue::VueRoue(etat).reduire(), reduit) << texte.toStdString();
    }
    qputenv("XDG_CONFIG_HOME", ancien);
}

TEST(VueMouvement, TheWheelFollowsTheDesktopSettingWhileItLives)
{
    Dossier d;
    const QByteArray ancien = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", d.racine().toLocal8Bit());
    d.ecrire("gtk-3.0/settings.ini", "[Settings]\ngtk-enable-animations=true\n");
    Roue::EtatRoue etat;
    Roue::VueRoue vue(etat);
    if (vue.reduire())
        GTEST_SKIP() << "GNOME's key already reduces motion here";
    const auto attendre = [](auto condition) {
        QElapsedTimer t;
        t.start();
        while (!condition() && t.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return condition();
    };
    // The view lives for the whole run: the desktop's change reaches it, and its mascot,
    // without a new view.
    d.ecrire("gtk-3.0/settings.ini", "[Settings]\ngtk-enable-animations=false\n");
    EXPECT_TRUE(attendre([&] { return vue.reduire(); }));
    EXPECT_TRUE(vue.mascotte().reduire());
    d.ecrire("gtk-3.0/settings.ini", "[Settings]\ngtk-enable-animations=true\n");
    EXPECT_TRUE(attendre([&] { return !vue.reduire(); }));
    EXPECT_FALSE(vue.mascotte().reduire());
    qputenv("XDG_CONFIG_HOME", ancien);
}

TEST(VueMouvement, AWheelBuiltAfterAMissedChangeStillFollowsTheNextOne)
{
    // The process-wide choice still says "reduced" from a desktop change nobody saw (no event
    // loop ran); the desktop now says animations are on, and a wheel is built.
    Dossier d;
    const QByteArray ancien = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", d.racine().toLocal8Bit());
    d.ecrire("gtk-3.0/settings.ini", "[Settings]\ngtk-enable-animations=true\n");
    Motion::reduire() = true;
    Roue::EtatRoue etat;
    Roue::VueRoue vue(etat);
    if (vue.reduire())
        GTEST_SKIP() << "GNOME's key already reduces motion here";
    // The desktop turns animations off: the wheel and its mascot follow.
    d.ecrire("gtk-3.0/settings.ini", "[Settings]\ngtk-enable-animations=false\n");
    QElapsedTimer t;
    t.start();
    while (!vue.reduire() && t.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_TRUE(vue.reduire());
    EXPECT_TRUE(vue.mascotte().reduire());
    Motion::setReduire(false);
    qputenv("XDG_CONFIG_HOME", ancien);
}
