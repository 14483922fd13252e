#include "roue/EtatRoue.h"
#include "roue/Geometrie.h"

#include <gtest/gtest.h>

namespace {

Conversions::Petale petaleNumero(int i) { return {QString("p%1").arg(i), QString("P%1").arg(i), "photo", std::nullopt}; }

// Counts every announcement of a state, and the haptic taps.
struct Temoin {
    explicit Temoin(Roue::EtatRoue& e)
    {
        e.tapotement = [this] { ++taps; };
        QObject::connect(&e, &Roue::EtatRoue::panneauChange, [this] { ++panneau; });
        QObject::connect(&e, &Roue::EtatRoue::change, [this] { ++tout; });
    }
    int taps = 0, panneau = 0, tout = 0;
};

// n petals whose last is "Modifier" of the PDF offer with its application present.
void avecModifier(Roue::EtatRoue& e, int n)
{
    const Roue::Retouche r = Roue::Retouche::offrePDF(QString("/x/folio.desktop"));
    QList<Conversions::Petale> l;
    for (int i = 0; i < n - 1; ++i)
        l.append(petaleNumero(i));
    l.append(r.petale());
    e.setRetouche(r);
    e.setPetales(l);
}

} // namespace

// Each setter announces a real change once, and a repeated value not at all.
TEST(EtatRoue, UnSignalParChangementReel)
{
    Roue::EtatRoue e;
    EXPECT_EQ(e.centre(), "Glissez ici");
    Temoin t(e);
    const std::function<void()> ecritures[] = {
        [&] { e.setPetales({petaleNumero(0)}); }, [&] { e.setSurvol(0); },
        [&] { e.setOutil(2); }, [&] { e.setPanneau(true); },
        [&] { e.setRetouche(Roue::Retouche::offreImage()); },
        // Another application location makes another offer.
        [&] { e.setRetouche(Roue::Retouche::offreImage("/a")); }, [&] { e.setCentre("a.png"); },
        [&] { e.setOuverte(true); }, [&] { e.setFait(false); }, [&] { e.setMessage(QString("x")); },
        [&] { e.setProgression(0.5); },
        // nil differs from 0 and from false.
        [&] { e.setSurvol(std::nullopt); }, [&] { e.setFait(std::nullopt); }};
    int attendu = 0;
    for (const auto& ecrire : ecritures) {
        ecrire();
        ecrire();
        EXPECT_EQ(t.tout, ++attendu);
    }
    e.setTravail(QUuid::createUuid());
    EXPECT_EQ(t.tout, attendu);
}

TEST(EtatRoue, AnneauPlusCourtAvecUneOffreEtRienSansPetale)
{
    Roue::EtatRoue e;
    Temoin t(e);
    e.setSurvol(2);
    e.setOutil(1);
    e.setPanneau(true);
    e.viser(Roue::point(0, 120));
    EXPECT_FALSE(e.survol() || e.outil());
    EXPECT_EQ(t.tout, 3 + 2);
    e.setPetales({petaleNumero(0), petaleNumero(1), petaleNumero(2), petaleNumero(3)});
    e.viser(Roue::point(90, 190));
    EXPECT_EQ(e.survol(), 1);
    e.setRetouche(Roue::Retouche::offreImage());
    e.viser(Roue::point(90, 190));
    EXPECT_EQ(e.survol(), std::nullopt);
    e.viser(Roue::point(90, 185));
    EXPECT_EQ(e.survol(), 1);
    EXPECT_EQ(t.taps, 2);
    // No "Modifier" petal: the arc is left as it is.
    e.setPanneau(true);
    e.viser(Roue::point(0, 100));
    EXPECT_TRUE(e.panneau());
    EXPECT_EQ(e.survol(), 0);
}

// A pointer's road over six petals whose last is "Modifier" (at 300°): onto the petal, out
// along the tools, out of the near zone and back. Each step gives the hover, the arc and the
// taps so far.
TEST(EtatRoue, ParcoursDeLArc)
{
    Roue::EtatRoue e;
    avecModifier(e, 6);
    ASSERT_EQ(e.indexModifier(), 5);
    ASSERT_DOUBLE_EQ(*e.angleModifier(), 300);
    Temoin t(e);
    const struct {
        double angle, rayon;
        std::optional<int> survol, outil;
        bool panneau;
        int taps;
    } parcours[] = {
        {0, 120, 0, {}, false, 1},      // petal 0, arc closed
        {0, 120, 0, {}, false, 1},      // same point: nothing
        {300, 100, 5, {}, true, 2},     // onto "Modifier": the arc opens
        {300, 170, 5, {}, true, 2},     // still on it, farther out
        {250, 230, {}, 0, true, 3},     // slot 0
        {261, 230, {}, 0, true, 3},     // same slot
        {287, 230, {}, 1, true, 4},
        {313, 230, {}, 2, true, 5},
        {351, 230, {}, 3, true, 6},
        {353, 230, {}, {}, true, 6},    // past the last slot, still near
        {245, 230, {}, {}, true, 6},    // before the first slot, still near
        {250, 160, {}, {}, true, 6},    // near, over petal 4: hovers nothing
        {300, 500, {}, {}, true, 6},    // no outer bound to the near zone
        {300, 230, {}, 2, true, 7},     // the petal's own angle is slot 2
        {200, 230, {}, {}, false, 7},   // out of the near zone: closed
        {250, 160, 4, {}, false, 8},    // the same spot as before now hovers petal 4
        {250, 230, {}, {}, false, 8},   // the tools band of a closed arc is nothing
        {300, 140, 5, {}, true, 9},     // back on "Modifier"
        {300, 40, {}, {}, false, 9},    // into the hole: closed
    };
    int pas = 0;
    for (const auto& p : parcours) {
        e.viser(Roue::point(p.angle, p.rayon));
        EXPECT_EQ(e.survol(), p.survol) << "pas " << pas;
        EXPECT_EQ(e.outil(), p.outil) << "pas " << pas;
        EXPECT_EQ(e.panneau(), p.panneau) << "pas " << pas;
        EXPECT_EQ(t.taps, p.taps) << "pas " << pas;
        ++pas;
    }
    // The arc opened and closed twice.
    EXPECT_EQ(t.panneau, 4);
}

TEST(EtatRoue, AngleVise)
{
    Roue::EtatRoue e;
    avecModifier(e, 6);
    EXPECT_EQ(e.angleVise(), std::nullopt);
    e.viser(Roue::point(60, 120));
    EXPECT_EQ(e.angleVise(), 60);
    e.viser(Roue::point(300, 120));
    e.viser(Roue::point(320, 230));
    ASSERT_EQ(e.outil(), 2);
    EXPECT_EQ(e.angleVise(), 313);
    // With two tools, the third slot's place is nothing.
    Roue::Retouche r = *e.retouche();
    r.outils.resize(2);
    e.setRetouche(r);
    e.viser(Roue::point(300, 120));
    ASSERT_TRUE(e.panneau());
    e.viser(Roue::point(300 - 52 + 26 * 1.5, 230));
    EXPECT_EQ(e.outil(), 1);
    e.viser(Roue::point(300 - 52 + 26 * 2.5, 230));
    EXPECT_FALSE(e.outil() || e.survol());
    EXPECT_TRUE(e.panneau());
}
