// A lone PDF's pages are counted while the wheel is already open: the drag never waits.

#include "retouche_bureau.h"
#include "zone_glisser.h"

#include "commun/Attendre.h"
#include "commun/Dossier.h"
#include "commun/Echantillons.h"
#include "conversions/Catalogue.h"
#include "conversions/pdf/PdfCompte.h"
#include "roue/ComptePages.h"

#include <QUuid>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <mutex>
#include <sys/stat.h>

namespace {

// A count that the test lets go of; it gives up waiting after a few seconds.
struct Retenue {
    std::mutex verrou;
    std::condition_variable signal;
    bool libre = false;
    int appels = 0;
    int lachesATemps = 0;
} retenue;

int compterRetenu(const QString&)
{
    std::unique_lock l(retenue.verrou);
    ++retenue.appels;
    if (retenue.signal.wait_for(l, std::chrono::seconds(4), [] { return retenue.libre; }))
        ++retenue.lachesATemps;
    return 3;
}

int compterVraiment(const QString& pdf) { return Conversions::compterPages(pdf); }

class ZoneCompteTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        {
            std::lock_guard l(retenue.verrou);
            retenue.libre = false;
            retenue.appels = retenue.lachesATemps = 0;
        }
        Conversions::compterLesPagesAvec(&compterRetenu);
        zone.surDepot = [this](const QStringList& f, const Conversions::Petale& p) { conversions.append({f, p.id}); };
        QObject::connect(zone.findChild<Roue::ComptePages*>(), &Roue::ComptePages::compte, &zone,
                         [this](const QString& pdf, int pages) { comptes.append({pdf, pages}); });
    }
    void TearDown() override
    {
        liberer();
        Conversions::compterLesPagesAvec(&compterVraiment);
    }
    static void liberer()
    {
        std::lock_guard l(retenue.verrou);
        retenue.libre = true;
        retenue.signal.notify_all();
    }
    bool comptesRecus(qsizetype n) { return attendre([&] { return comptes.size() >= n; }, 20000); }

    BureauTemporaire bureau;  // no sibling PDF application: "Modifier" takes no drop
    Dossier d;
    Roue::EtatRoue etat;
    Roue::ZoneDepot zone{etat};
    QList<std::pair<QStringList, QString>> conversions;
    QList<std::pair<QString, int>> comptes;
};

} // namespace

TEST_F(ZoneCompteTest, UnDepotPendantLeCompteNEstPasPerdu)
{
    const QString pdf = Echantillons::pdf(d.chemin("trois.pdf"), 3);
    Glisser g(zone, {pdf});
    EXPECT_TRUE(g.entrer(ecran(0, 120)));
    EXPECT_EQ(ids(etat), "jpg png txt docx modifier");
    EXPECT_TRUE(g.bouger(ecran(0, 120)));
    EXPECT_TRUE(g.lacher(ecran(0, 120)));
    EXPECT_EQ(conversions, (QList<std::pair<QStringList, QString>>{{{pdf}, "jpg"}}));
    liberer();
    ASSERT_TRUE(comptesRecus(1));
    // The GUI thread went on while the count waited for it.
    EXPECT_EQ(retenue.lachesATemps, 1);
}

TEST_F(ZoneCompteTest, SeparerArriveSousLePointeur)
{
    const QString pdf = Echantillons::pdf(d.chemin("trois.pdf"), 3);
    Glisser g(zone, {pdf});
    // Over "Modifier", the last of five petals.
    g.entrer(ecran(288, 120));
    ASSERT_EQ(ids(etat), "jpg png txt docx modifier");
    ASSERT_EQ(etat.survol(), 4);
    liberer();
    ASSERT_TRUE(comptesRecus(1));
    EXPECT_EQ(ids(etat), "jpg png txt docx separer modifier");
    // The ring turned under a still pointer: it is still on "Modifier", not on « Séparer ».
    EXPECT_EQ(etat.survol(), etat.indexModifier());
    EXPECT_FALSE(g.lacher(ecran(288, 120)));
    EXPECT_TRUE(conversions.isEmpty());
    // Back with the same file: the count is known, and not made again.
    g.entrer(ecran(0, 120));
    EXPECT_EQ(ids(etat), "jpg png txt docx separer modifier");
    EXPECT_EQ(retenue.appels, 1);
    // Changed since: counted again.
    QFile f(pdf);
    ASSERT_TRUE(f.open(QIODevice::Append) && f.write("\n") == 1);
    f.close();
    g.entrer(ecran(0, 120));
    EXPECT_EQ(ids(etat), "jpg png txt docx modifier");
    ASSERT_TRUE(comptesRecus(2));
    EXPECT_EQ(ids(etat), "jpg png txt docx separer modifier");
}

// A count that comes back once the ring shows something else leaves it alone.
TEST_F(ZoneCompteTest, UnCompteEnRetardNeTouchePasUnAutreAnneau)
{
    const QList<std::pair<const char*, std::function<void()>>> ensuite{
        {"une autre glisse", [this] { Glisser(zone, {d.ecrire("x.wav")}).entrer(ecran(0, 120)); }},
        {"la roue rouverte", [this] { etat.setPetales({Conversions::Petale{"?", {}, "ellipsis", std::nullopt}}); }},
        {"un travail montré", [this] { etat.setTravail(QUuid::createUuid()); }},
    };
    for (qsizetype i = 0; i < ensuite.size(); ++i) {
        const QString pdf = Echantillons::pdf(d.chemin(QStringLiteral("%1.pdf").arg(i)), 3);
        Glisser(zone, {pdf}).entrer(ecran(0, 120));
        ASSERT_EQ(ids(etat), "jpg png txt docx modifier");
        ensuite[i].second();
        const std::string avant = ids(etat);
        liberer();
        ASSERT_TRUE(comptesRecus(i + 1));
        EXPECT_EQ(ids(etat), avant) << ensuite[i].first;
        std::lock_guard l(retenue.verrou);
        retenue.libre = false;
    }
}

// With the real count: a damaged table is repaired and counted; a count past its bounds
// gives no « Séparer ».
TEST_F(ZoneCompteTest, LeVraiCompteReparePuisSArreteASesBornes)
{
    Conversions::compterLesPagesAvec(&compterVraiment);
    const QString casse = Echantillons::pdfTableCassee(d.chemin("casse.pdf"), 0);
    Glisser g(zone, {casse});
    g.entrer(ecran(0, 120));
    EXPECT_EQ(ids(etat), "jpg png txt docx modifier");
    ASSERT_TRUE(comptesRecus(1));
    EXPECT_EQ(ids(etat), "jpg png txt docx separer modifier");

    const QString millions = Echantillons::pdfTableGeante(d.chemin("millions.pdf"), 8'000'000);
    Glisser h(zone, {millions});
    h.entrer(ecran(0, 120));
    ASSERT_TRUE(comptesRecus(2));
    EXPECT_EQ(comptes.last().second, 0);
    EXPECT_EQ(ids(etat), "jpg png txt docx modifier");
}

namespace {

// A "count" that reads the number the file holds.
int compterLeChiffre(const QString& fichier)
{
    QFile f(fichier);
    return f.open(QIODevice::ReadOnly) ? f.readAll().toInt() : -1;
}

} // namespace

// Another file moved in place of the counted one, of the same size and time, is counted anew.
TEST_F(ZoneCompteTest, UnFichierRemplaceParUnAutreEstRecompte)
{
    Conversions::compterLesPagesAvec(&compterLeChiffre);
    Roue::ComptePages comptes;
    QList<int> recus;
    QObject::connect(&comptes, &Roue::ComptePages::compte, [&](const QString&, int pages) { recus << pages; });
    const QString pdf = d.ecrire("doc.pdf", "2");
    const QString autre = d.ecrire("autre.pdf", "7");
    // The same time to the nanosecond: only the file itself tells them apart.
    const timespec temps[2] = {{1'700'000'000, 123456789}, {1'700'000'000, 123456789}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(pdf).constData(), temps, 0), 0);
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(autre).constData(), temps, 0), 0);
    EXPECT_EQ(comptes.pages(pdf), std::nullopt);
    ASSERT_TRUE(attendre([&] { return recus.size() == 1; }, 20000));
    EXPECT_EQ(comptes.pages(pdf), 2);
    ASSERT_EQ(::rename(QFile::encodeName(autre).constData(), QFile::encodeName(pdf).constData()), 0);
    EXPECT_EQ(comptes.pages(pdf), std::nullopt);
    ASSERT_TRUE(attendre([&] { return recus.size() == 2; }, 20000));
    EXPECT_EQ(comptes.pages(pdf), 7);
}
