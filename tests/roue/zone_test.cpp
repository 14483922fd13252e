#include "retouche_bureau.h"
#include "zone_glisser.h"

#include "commun/Dossier.h"
#include "conversions/Chemins.h"
#include "roue/ZoneDepot.h"

#include <QCoreApplication>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

using Retouches = QList<std::pair<QString, QString>>;

class ZoneDepotTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        zone.surDepot = [this](const QStringList& f, const Conversions::Petale& p) { conversions.append({f, p.id}); };
        zone.surRetouche = [this](const QString& f, const Roue::Retouche& r, const std::optional<Roue::Retouche::Outil>& o) {
            retouches.append({f, r.schema + ":" + (o ? o->cle : "-")});
        };
    }
    Dossier d;
    Roue::EtatRoue etat;
    Roue::ZoneDepot zone{etat};
    QList<std::pair<QStringList, QString>> conversions;
    Retouches retouches;
};

} // namespace

TEST_F(ZoneDepotTest, UnTexteSansFichierEstRefusePartout)
{
    Glisser g(zone, {});
    g.donnees.setText("/tmp/pas un fichier.png");
    EXPECT_TRUE(g.entrer(ecran(0, 120)));
    EXPECT_TRUE(etat.petales().isEmpty());
    EXPECT_EQ(etat.centre().toStdString(), "Rien à faire avec ceci");
    for (double a = 0; a < 360; a += 45)
        for (double r : {0.0, 100.0, 190.0, 300.0})
            EXPECT_FALSE(g.bouger(ecran(a, r))) << a << " " << r;
    EXPECT_FALSE(g.deposer(ecran(0, 120)));
    EXPECT_TRUE(conversions.isEmpty() && retouches.isEmpty());
}

TEST_F(ZoneDepotTest, FichiersLocauxDansLOrdre)
{
    Glisser g(zone, {d.ecrire("c.mp3"), "https://exemple.fr/a.mp3", "file://serveur/partage/b.mp3",
                     d.ecrire("a b#%20.mp3"), "file://localhost" + d.chemin("z.mp3")});
    g.entrer(ecran(0, 120));
    EXPECT_EQ(zone.fichiers(), QStringList({d.chemin("c.mp3"), d.chemin("a b#%20.mp3"), d.chemin("z.mp3")}));
    EXPECT_EQ(etat.centre().toStdString(), "3 fichiers");
    Glisser un(zone, {d.ecrire("Écoute-moi.mp3")});
    un.entrer(ecran(0, 120));
    EXPECT_EQ(etat.centre().toStdString(), "Écoute-moi.mp3");
    Glisser dossier(zone, {d.creerDossier("Vacances") + "/"});
    dossier.entrer(ecran(0, 120));
    EXPECT_EQ(etat.centre().toStdString(), "Vacances");
}

// A name that is not UTF-8 (a Latin-1 name from an old disk) keeps its bytes.
TEST(ZoneDepotUrls, UnNomHorsUtf8GardeSesOctets)
{
    QMimeData donnees;
    donnees.setData("text/uri-list", "file:///tmp/caf%E9.png\r\nfile:///tmp/%C3%A9t%C3%A9%20.png\r\n");
    EXPECT_EQ(Roue::ZoneDepot::urls(&donnees),
              (QStringList{Conversions::cheminDepuisOctets("/tmp/caf\xe9.png"), QString::fromUtf8("/tmp/été .png")}));
    EXPECT_EQ(Conversions::local(Roue::ZoneDepot::urls(&donnees).first()), QByteArray("/tmp/caf\xe9.png"));
}

// The window system's y grows downward, the wheel's upward.
TEST_F(ZoneDepotTest, HautEtBasEtDepot)
{
    const QStringList f{d.ecrire("2.png"), d.ecrire("1.png"), d.ecrire("3.png")};
    Glisser g(zone, f);
    // Entering over the hole is taken all the same, or no move would follow.
    EXPECT_TRUE(g.entrer(QPoint(320, 320)));
    EXPECT_EQ(etat.survol(), std::nullopt);
    ASSERT_EQ(ids(etat), "jpg heic webp pdf leger ocr detour zip");
    const struct {
        QPoint p;
        std::optional<int> survol;
    } visees[] = {{{320, 320}, {}}, {{320, 170}, 0}, {{320, 470}, 4}, {{470, 320}, 2}, {{170, 320}, 6}, {{320, 320}, {}}};
    for (const auto& v : visees) {
        EXPECT_EQ(g.bouger(v.p), v.survol.has_value()) << v.p.x() << "," << v.p.y();
        EXPECT_EQ(etat.survol(), v.survol) << v.p.x() << "," << v.p.y();
    }
    // The centre and beyond the ring take nothing.
    EXPECT_FALSE(g.lacher(QPoint(320, 320)));
    EXPECT_FALSE(g.deposer(QPoint(320, 10)));
    EXPECT_FALSE(g.deposer(QPoint(639, 639)));
    EXPECT_TRUE(conversions.isEmpty());
    // A copy, never the move the source proposed.
    EXPECT_TRUE(g.deposer(QPoint(320, 470)));
    EXPECT_EQ(g.action, Qt::CopyAction);
    EXPECT_EQ(conversions, (QList<std::pair<QStringList, QString>>{{f, "leger"}}));
    EXPECT_TRUE(retouches.isEmpty());
}

// The hover itself is the state's business; here, which drops are taken and what they give.
TEST_F(ZoneDepotTest, UnPDFEtSonApplication)
{
    BureauTemporaire b;
    const QString pdf = d.ecrire("Mon contrat.pdf");
    Glisser g(zone, {pdf});
    g.entrer(ecran(0, 120));
    ASSERT_EQ(ids(etat), "jpg png txt docx modifier");
    const double am = *etat.angleModifier();
    // Absent: neither "Modifier" (though it opens the arc) nor a tool takes the drop.
    EXPECT_FALSE(g.bouger(ecran(am, 120)));
    EXPECT_TRUE(etat.panneau());
    EXPECT_FALSE(g.bouger(ecran(am - 39, 230)));
    EXPECT_FALSE(g.lacher(ecran(am - 39, 230)));
    EXPECT_FALSE(g.deposer(ecran(am, 120)));
    EXPECT_TRUE(retouches.isEmpty());
    // Installed, and the drag comes back: it is found on entry.
    b.installer("com.ormelin.folio");
    g.entrer(ecran(am, 120));
    g.sortir();
    EXPECT_EQ(etat.survol(), std::nullopt);
    EXPECT_TRUE(g.deposer(ecran(am, 120)));
    g.entrer(ecran(am, 120));
    g.bouger(ecran(am, 200));
    EXPECT_TRUE(g.bouger(ecran(am + 39, 230)));
    EXPECT_TRUE(g.lacher(ecran(am + 39, 230)));
    EXPECT_EQ(retouches, (Retouches{{pdf, "vemo-folio:-"}, {pdf, "vemo-folio:pages"}}));
    EXPECT_TRUE(conversions.isEmpty());
}

TEST_F(ZoneDepotTest, LesOutilsDImageSansApplication)
{
    BureauTemporaire b;
    const QString image = d.ecrire("scan.tiff");
    Glisser g(zone, {image});
    g.entrer(ecran(0, 120));
    // Eight petals and an offer: "heic" makes room for "Modifier".
    EXPECT_EQ(ids(etat), "jpg png webp pdf leger ocr detour modifier");
    const double am = *etat.angleModifier();
    EXPECT_FALSE(g.bouger(ecran(am, 120)));
    EXPECT_TRUE(g.bouger(ecran(am - 39, 230)));
    EXPECT_TRUE(g.lacher(ecran(am - 39, 230)));
    EXPECT_EQ(retouches, (Retouches{{image, "vemo-croquis:recadrer"}}));
    // The band of a closed arc takes nothing.
    EXPECT_FALSE(g.deposer(ecran(am - 39, 230)));
    EXPECT_EQ(retouches.size(), 1);
}

TEST_F(ZoneDepotTest, SortirPuisRevenir)
{
    Glisser g(zone, {d.ecrire("a.png")});
    g.entrer(ecran(0, 120));
    const double am = *etat.angleModifier();
    g.bouger(ecran(am, 120));
    g.bouger(ecran(am, 230));
    ASSERT_TRUE(etat.outil() && etat.panneau());
    g.sortir();
    EXPECT_FALSE(etat.survol() || etat.outil() || etat.panneau());
    EXPECT_EQ(etat.centre().toStdString(), "a.png");
    EXPECT_EQ(zone.fichiers().size(), 1);
    // Back with other files at once over a tool's place: the arc starts closed.
    Glisser autre(zone, {d.ecrire("x.wav")});
    autre.entrer(ecran(am, 230));
    EXPECT_FALSE(etat.retouche());
    EXPECT_EQ(ids(etat), "mp3 m4a aiff couper");
    EXPECT_FALSE(etat.outil() || etat.panneau());
}
