// The floating hint: where its frame goes, who owns it, and the rest before it shows.
#include "ChronoIndice.h"
#include "tesselui/HintPanel.h"
#include "tesselui/Theme.h"
#include "tesselui/Vavirud.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

TEST(HintPanel, LeCadreSeRangeContreLesBordsDeLaZone)
{
    const QRectF zone(0, 0, 1440, 900);
    struct Cas {
        QSizeF taille;
        QRectF pres;
        bool dessous;
        QRectF attendu;
    } cas[] = {
        // Room below: 8 under the anchor, centred on it.
        {{200, 60}, {100, 100, 100, 30}, true, {50, 138, 200, 60}},
        // 20 above the bottom: no room below for 60, so above it.
        {{200, 60}, {600, 850, 100, 30}, true, {550, 782, 200, 60}},
        // Above is asked, but the anchor touches the top: below it.
        {{200, 60}, {600, 10, 100, 30}, false, {550, 48, 200, 60}},
        // Wider than the area less its margins: it sticks to the right margin.
        {{1500, 60}, {600, 400, 100, 30}, true, {1440 - 1500 - 8, 438, 1500, 60}},
        // Taller than the area: the top margin wins.
        {{100, 2000}, {600, 400, 100, 30}, true, {600, 8, 100, 2000}},
        // Whole points, halves away from zero: centred at 100.5 with 40 wide gives 81.
        {{40, 20}, {100, 300, 1, 10}, true, {81, 318, 40, 20}},
    };
    for (const Cas& c : cas)
        EXPECT_EQ(HintPanel::frame(c.taille, c.pres, c.dessous, zone), c.attendu) << c.pres.y();
}

TEST(HintBubble, LeTitreSeReplieEtLeRaccourciTientDansSonPadding)
{
    // A title longer than the bubble wraps, and the bubble grows by its extra lines.
    const QString court = QStringLiteral("Rogner"), long_ = QStringLiteral("Rogner la photo aux proportions choisies pour l’imprimer");
    const HintBubble a{court, QStringLiteral("Garde la partie qui compte."), std::nullopt, 200};
    const HintBubble b{long_, QStringLiteral("Garde la partie qui compte."), std::nullopt, 200};
    const double ligne = QFontMetricsF(Vavirud::texte(13, 400)).height();
    ASSERT_GT(QFontMetricsF(Vavirud::texte(13, 400)).horizontalAdvance(long_), 200 - 24);
    EXPECT_GE(b.taille().height() - a.taille().height(), ligne - 1);
    EXPECT_EQ(b.taille().width(), 200);
    // The shortcut's badge: its text's height and one pixel above and below, not more.
    const HintBubble r{court, QString(), QStringLiteral("R"), 200};
    QImage im(r.taille().toSize(), QImage::Format_ARGB32_Premultiplied);
    im.fill(Qt::transparent);
    QPainter p(&im);
    QPalette pal;
    r.peindre(p, pal);
    p.end();
    const QColor lavis = Theme::accentWash().pour(pal);
    int haut = im.height(), bas = -1;
    for (int y = 0; y < im.height(); ++y)
        for (int x = 0; x < im.width(); ++x)
            if (const QColor c = im.pixelColor(x, y); c.alpha() == 255 && std::abs(c.red() - lavis.red()) <= 2
                                                      && std::abs(c.green() - lavis.green()) <= 2
                                                      && std::abs(c.blue() - lavis.blue()) <= 2) {
                haut = std::min(haut, y);
                bas = std::max(bas, y);
            }
    ASSERT_GE(bas, haut);
    EXPECT_NEAR(bas - haut + 1, QFontMetricsF(Vavirud::texte(11, 400)).height() + 2, 1.5);
}

TEST(HintPanel, SeulLeProprietaireCacheEtUnProprietaireDetruitEmporteLIndice)
{
    HintPanel& p = HintPanel::shared();
    QObject a, b;
    const HintBubble bulle{QStringLiteral("Titre"), QString(2000, QLatin1Char('x')), QStringLiteral("⌘R"), 240};
    EXPECT_EQ(bulle.taille().width(), 240);  // a long detail grows the height only
    EXPECT_GT(bulle.taille().height(), 100);
    p.show(bulle, QRectF(100, 100, 50, 20), true, &a, nullptr);
    EXPECT_TRUE(p.montre());
    EXPECT_FALSE(p.testAttribute(Qt::WA_WState_Hidden));
    EXPECT_TRUE(p.windowFlags() & Qt::WindowTransparentForInput);
    EXPECT_TRUE(p.windowFlags() & Qt::WindowDoesNotAcceptFocus);
    p.hide(&b);
    EXPECT_TRUE(p.montre());
    p.show(bulle, QRectF(100, 100, 50, 20), true, &b, nullptr);
    p.hide(&a);
    EXPECT_TRUE(p.montre());
    p.hide(&b);
    EXPECT_FALSE(p.montre());
    {
        QObject c;
        p.show(bulle, QRectF(0, 0, 10, 10), false, &c, nullptr);
    }
    EXPECT_FALSE(p.isVisible());
    EXPECT_EQ(p.owner(), nullptr);
}

TEST(Hint, ApparaitApresLeReposEtPasAvant)
{
    QWidget fenetre;
    fenetre.resize(300, 200);
    auto* bouton = new QWidget(&fenetre);
    bouton->setGeometry(100, 50, 60, 30);
    Hint::installer(bouton, QStringLiteral("Rogner"), QStringLiteral("Garde l’essentiel"));
    fenetre.show();
    HintPanel& p = HintPanel::shared();
    ChronoIndice chrono;
    QEvent entree(QEvent::Enter), sortie(QEvent::Leave);
    // Left before the rest: nothing.
    QCoreApplication::sendEvent(bouton, &entree);
    QCoreApplication::sendEvent(bouton, &sortie);
    QTest::qWait(500);
    EXPECT_FALSE(p.montre());
    // Rested: shown after 0.35 s and not before, below the control; hidden at once on leave.
    chrono.partir();
    QCoreApplication::sendEvent(bouton, &entree);
    ASSERT_TRUE(QTest::qWaitFor([&] { return p.montre(); }, 2000));
    EXPECT_GE(chrono.apres, Hint::repos);
    EXPECT_EQ(p.bulle().title, "Rogner");
    EXPECT_GE(p.y(), bouton->mapToGlobal(QPoint(0, 30)).y() + 8 - 1);
    QCoreApplication::sendEvent(bouton, &sortie);
    EXPECT_FALSE(p.montre());
    // The control destroyed while the hint waits: nothing shows, nothing breaks.
    QCoreApplication::sendEvent(bouton, &entree);
    delete bouton;
    QTest::qWait(500);
    EXPECT_FALSE(p.montre());
}
