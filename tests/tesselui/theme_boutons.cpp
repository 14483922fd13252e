// Foundation and buttons: font keys and weights, motion presets, button colours per kind,
// state and palette, the row that stacks when it cannot fit.
#include "designtokens/Tokens.h"
#include "tesselui/BoutonAnime.h"
#include "tesselui/BundledFonts.h"
#include "tesselui/Motion.h"
#include "tesselui/SegmentedRow.h"
#include "tesselui/Vavirud.h"

#include <QImage>
#include <QPainter>
#include <QCoreApplication>
#include <QEnterEvent>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <gtest/gtest.h>

using namespace Tokens;

namespace {

// How much ink a text leaves: heavier weights leave more.
long encre(const QFont& f)
{
    QImage im(300, 40, QImage::Format_ARGB32);
    im.fill(Qt::white);
    QPainter p(&im);
    p.setFont(f);
    p.setPen(Qt::black);
    p.drawText(4, 30, QStringLiteral("Convertir à l’été"));
    p.end();
    long s = 0;
    for (int y = 0; y < im.height(); ++y)
        for (int x = 0; x < im.width(); ++x)
            s += 255 - qGray(im.pixel(x, y));
    return s;
}

} // namespace

TEST(Theme, LesPolicesSontCacheesParCleEtLesGraisDiffèrent)
{
    EXPECT_EQ(Vavirud::cle(13, 400), "13.0-400.0");
    EXPECT_EQ(Vavirud::cle(13, 400.5), "13.0-400.5");
    EXPECT_EQ(Vavirud::cle(0.1, 1e21), "0.1-1e+21");
    EXPECT_EQ(Vavirud::police(13, 400), Vavirud::police(13, 400));
    EXPECT_EQ(Vavirud::texte(20, 400).letterSpacing(), -0.5);
    // Nothing absurd reaches Qt: zero, negative and endless sizes still give a usable font.
    for (double t : {0.0, -5.0, 1e9, std::nan("")})
        EXPECT_GE(Vavirud::police(t, 400).pixelSize(), 1) << t;
    // The static instances make the three weights really differ on screen.
    BundledFonts::register_();
    EXPECT_LT(encre(Vavirud::police(20, 350)), encre(Vavirud::police(20, 400)));
    EXPECT_LT(encre(Vavirud::police(20, 400)), encre(Vavirud::police(20, 500)));
}

TEST(Theme, LesPresetsSontDesRessortsSaufMouvementReduit)
{
    EXPECT_EQ(Motion::snappy().genre, Mouvement::Genre::ressort);
    EXPECT_DOUBLE_EQ(Motion::bouncy().ressort.reponse, 0.45);
    EXPECT_DOUBLE_EQ(Motion::flow().ressort.amortissement, 0.75);
    EXPECT_EQ(Motion::adapt(Motion::bouncy(), false).ressort.reponse, 0.45);
    const Mouvement r = Motion::adapt(Motion::bouncy(), true);
    EXPECT_EQ(r.genre, Mouvement::Genre::fondu);
    EXPECT_DOUBLE_EQ(r.fondu.duree, 0.15);
}

TEST(Boutons, CouleursParGenreRoleEtPalette)
{
    brand = BrandPalette::lavande();
    neutres.reset();
    const ThemedColor clair = Boutons::transparent();
    struct Cas {
        PillButtonStyle style;
        bool destructive;
        ThemedColor texte, fond, trait;
    } cas[] = {
        {PillButtonStyle::pill(), false, Color::ctaText(), Color::ctaFill(), clair},
        {PillButtonStyle::pill(), true, Color::ctaText(), Color::ctaFill(), clair},
        {PillButtonStyle::pillOnPastel(), true, ThemedColor(Palette::cloudCanvas), Color::deep(), clair},
        {PillButtonStyle::pillSoft(), true, Color::danger(), Color::accentWash(), clair},
        {PillButtonStyle::pillSoft(), false, Color::ctaFill(), Color::accentWash(), clair},
        {PillButtonStyle::pillGhostOnPastel(), false, Color::deep(), clair, Color::accent()},
        {PillButtonStyle::pillGhost(), false, Color::ctaFill(), clair, Color::accent()},
    };
    for (const Cas& c : cas) {
        const Boutons::Couleurs k = c.style.couleurs(c.destructive);
        EXPECT_EQ(k.texte, c.texte) << int(c.style.kind) << c.destructive;
        EXPECT_EQ(k.fond, c.fond) << int(c.style.kind);
        EXPECT_EQ(k.trait, c.trait) << int(c.style.kind);
    }
    EXPECT_EQ(PillButtonStyle::pill().couleurs(false).ombre, Color::glow());
    // Once the Reverie neutrals are in, the ghost sits on the surface with a faint ink border.
    neutres = Neutres::reverie();
    const Boutons::Couleurs g = PillButtonStyle::pillGhost().couleurs(false);
    EXPECT_EQ(g.fond, neutres->surface);
    EXPECT_EQ(g.trait.light, neutres->textPrimary.light.with(0.12));
    EXPECT_EQ(g.trait.dark, neutres->textPrimary.dark.with(0.12));
    neutres.reset();
    EXPECT_EQ(IconButtonStyle::fond(true, true), Color::accentWash());
    EXPECT_EQ(IconButtonStyle::fond(false, true), Color::panel());
    EXPECT_EQ(IconButtonStyle::fond(false, false), clair);
    EXPECT_EQ(ToolToggleStyle::tint(true), Color::deep());
    EXPECT_EQ(TileButtonStyle::couleurs(true).fond, Color::accentWash());
}

TEST(Boutons, EchellesEtOpacitesSelonEtatEtMouvementReduit)
{
    EXPECT_EQ(PillButtonStyle::echelle(true, false), 0.93);
    EXPECT_EQ(IconButtonStyle::echelle(true, false), 0.86);
    EXPECT_EQ(TileButtonStyle::echelle(true, false), 0.94);
    EXPECT_EQ(ToolToggleStyle::echelle(true, false), 1.06);
    for (bool presse : {false, true}) {
        EXPECT_EQ(PillButtonStyle::echelle(presse, true), 1);
        EXPECT_EQ(IconButtonStyle::echelle(presse, true), 1);
        EXPECT_EQ(ToolToggleStyle::echelle(presse, true), 1);
    }
    EXPECT_EQ(PillButtonStyle::opacite(false), 0.4);
    EXPECT_EQ(IconButtonStyle::opacite(false), 0.35);
    // A pressed pill settles at 0.93 through the animator; reduced motion keeps it at 1.
    for (bool reduit : {false, true}) {
        Motion::reduire() = reduit;
        PillButton b(QStringLiteral("Convertir"));
        b.setDown(true);
        emit b.pressed();
        b.stabiliser();
        EXPECT_DOUBLE_EQ(b.echelleCourante(), reduit ? 1 : 0.93);
    }
    Motion::reduire() = false;
    // A disabled icon button never takes the hover highlight.
    IconButton i(QStringLiteral("close-circle"));
    i.setEnabled(false);
    QEnterEvent entree(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(&i, &entree);
    EXPECT_FALSE(i.survole());
    EXPECT_EQ(i.sizeHint(), QSize(30, 26));
}

TEST(Boutons, LaCapsuleDuBoutonIconeFaitVingtSixSurVingtSixPlusSesMarges)
{
    // The on capsule of a tool, painted at rest (reduced motion: no 1.06 scale): 26 high and
    // 26 + 2 × 2 wide, whatever room the widget keeps around it for its scale.
    Motion::reduire() = true;
    ToolToggle t(QStringLiteral("crop"));
    t.setChecked(true);
    t.stabiliser();
    t.resize(t.sizeHint());
    EXPECT_GE(t.width(), 32);  // room for 1.06 × 30
    EXPECT_GE(t.height(), 28);
    QImage im(t.size(), QImage::Format_ARGB32_Premultiplied);
    im.fill(Qt::transparent);
    t.render(&im, QPoint(), QRegion(), QWidget::DrawChildren);
    int large = 0, haut = 0;
    for (int x = 0; x < im.width(); ++x)
        large += im.pixelColor(x, im.height() / 2).alpha() > 128;
    for (int y = 0; y < im.height(); ++y)
        haut += im.pixelColor(im.width() / 2, y).alpha() > 128;
    EXPECT_EQ(large, 30);
    EXPECT_EQ(haut, 26);
    Motion::reduire() = false;
}

TEST(Boutons, UnePiluleGardeSaTailleIdealeEtToutSonTitre)
{
    // In a row too narrow for it, the pill keeps its width: its title is never cut.
    QWidget rangee;
    auto* l = new QHBoxLayout(&rangee);
    l->setContentsMargins(0, 0, 0, 0);
    auto* p = new PillButton(QStringLiteral("Convertir toutes les photos"));
    l->addWidget(p);
    rangee.resize(60, 40);
    rangee.show();
    l->activate();
    EXPECT_EQ(p->minimumSizeHint(), p->sizeHint());
    EXPECT_EQ(p->width(), p->sizeHint().width());
    EXPECT_GE(p->sizeHint().width(), QFontMetricsF(p->font()).horizontalAdvance(p->text()) + 32);
}

TEST(Boutons, LaRangeeSEmpileQuandElleNeTientPas)
{
    const QList<QSize> t{{80, 28}, {100, 40}, {60, 28}};
    const QList<QRect> ligne = ButtonRow::disposition(t, 256);
    EXPECT_EQ(ligne, (QList<QRect>{{0, 6, 80, 28}, {88, 0, 100, 40}, {196, 6, 60, 28}}));
    const QList<QRect> pile = ButtonRow::disposition(t, 255);
    EXPECT_EQ(pile, (QList<QRect>{{0, 0, 80, 28}, {0, 36, 100, 40}, {0, 84, 60, 28}}));
    // Narrower than a button: the button keeps its ideal width all the same.
    EXPECT_EQ(ButtonRow::disposition({{300, 20}}, 50), QList<QRect>{QRect(0, 0, 300, 20)});
    EXPECT_TRUE(ButtonRow::disposition({}, 0).isEmpty());
}

TEST(Boutons, UneRangeeEtroiteDonneAChaquePiluleSaLargeurIdeale)
{
    // A 200-wide column: the row stacks its pills, each at its ideal width with its full
    // padding, and the row itself is never made narrower than its widest pill.
    QWidget colonne;
    auto* l = new QVBoxLayout(&colonne);
    l->setContentsMargins(0, 0, 0, 0);
    auto* rangee = new ButtonRow;
    const QList<PillButton*> pilules{new PillButton(QStringLiteral("Convertir")),
                                     new PillButton(QStringLiteral("Agrandir toutes les photos"), PillButtonStyle::pillLarge()),
                                     new PillButton(QStringLiteral("Contour"), PillButtonStyle::pillGhost())};
    for (PillButton* p : pilules)
        rangee->ajouter(p);
    l->addWidget(rangee);
    l->addStretch();
    ASSERT_GT(pilules[1]->sizeHint().width(), 200);
    colonne.resize(200, 300);
    colonne.show();
    l->activate();
    QCoreApplication::processEvents();
    for (PillButton* p : pilules) {
        EXPECT_EQ(p->size(), p->sizeHint()) << p->text().toStdString();
        EXPECT_TRUE(rangee->rect().contains(p->geometry())) << p->text().toStdString();
        EXPECT_EQ(p->x(), 0);
    }
    EXPECT_GT(pilules[1]->y(), pilules[0]->y());
    EXPECT_GE(rangee->minimumSizeHint().width(), pilules[1]->sizeHint().width());
}

TEST(SegmentedRow, EnSegmentsQuandCaTientSinonEnMenu)
{
    SegmentedRow r(QStringLiteral("Qualité"), {QStringLiteral("Basse"), QStringLiteral("Moyenne"), QStringLiteral("Haute")});
    r.resize(600, 80);
    r.show();
    EXPECT_TRUE(r.segmented());
    r.setCurrent(2);
    r.resize(40, 80);
    QCoreApplication::processEvents();
    EXPECT_FALSE(r.segmented());
    EXPECT_EQ(r.current(), 2);
    r.setCurrent(7);  // out of range: ignored
    EXPECT_EQ(r.current(), 2);
}
