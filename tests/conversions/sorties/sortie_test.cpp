#include "conversions/sorties/Sortie.h"
#include "conversions/essais_outils.h"

#include <QSet>
#include <thread>
#include <vector>

using essais::lire;

namespace {

// Writes `octets` in the output's temporary file.
void remplir(const Conversions::Sortie& s, const QByteArray& octets)
{
    QFile t(s.temporaire());
    ASSERT_TRUE(t.open(QIODevice::WriteOnly));
    t.write(octets);
}

TEST(Nommage, CompteurDepuisLaBaseInchangee)
{
    Dossier d;
    const QString source = d.ecrire(QStringLiteral("photo.png"), "source");
    d.ecrire(QStringLiteral("photo.jpg"), "ancienne");
    d.ecrire(QStringLiteral("photo 2.jpg"), "ancienne 2");
    d.creerDossier(QStringLiteral("photo 3.jpg"));  // a folder takes the name too

    Conversions::Sortie s = Conversions::Sortie::apres(source, {}, QStringLiteral("jpg"));
    EXPECT_EQ(s.chemin(), d.chemin(QStringLiteral("photo 4.jpg")));
    remplir(s, "nouvelle");
    EXPECT_EQ(s.valider(), d.chemin(QStringLiteral("photo 4.jpg")));
    EXPECT_EQ(lire(d.chemin(QStringLiteral("photo 4.jpg"))), "nouvelle");
    EXPECT_EQ(lire(d.chemin(QStringLiteral("photo.jpg"))), "ancienne");
    EXPECT_EQ(lire(source), "source");
}

TEST(Nommage, UnEchecNeLaisseRien)
{
    Dossier d;
    const QString source = d.ecrire(QStringLiteral("son.wav"), "x");
    {
        Conversions::Sortie s = Conversions::Sortie::apres(source, QStringLiteral(" (légère)"), QStringLiteral("mp3"));
        EXPECT_FALSE(QFile::exists(d.chemin(QStringLiteral("son (légère).mp3"))));  // nothing under it until the end
        remplir(s, "à moitié");
    }
    EXPECT_EQ(d.noms(), QStringList{QStringLiteral("son.wav")});

    Conversions::Sortie rienEcrit = Conversions::Sortie::apres(source, {}, QStringLiteral("mp3"));
    EXPECT_THROW(rienEcrit.valider(), Conversions::Erreur);
}

TEST(Nommage, ReservationsConcurrentesToutesDistinctes)
{
    Dossier d;
    const QString source = d.ecrire(QStringLiteral("doc.txt"), "x");
    constexpr int n = 16;
    std::vector<QString> chemins(n);
    std::vector<std::thread> fils;
    for (int i = 0; i < n; ++i)
        fils.emplace_back([&, i] {
            Conversions::Sortie s = Conversions::Sortie::apres(source, {}, QStringLiteral("pdf"));
            remplir(s, QByteArray::number(i));
            chemins[static_cast<size_t>(i)] = s.valider();
        });
    for (auto& f : fils)
        f.join();
    QSet<QString> distincts(chemins.begin(), chemins.end());
    EXPECT_EQ(distincts.size(), n);
    for (int i = 0; i < n; ++i)
        EXPECT_EQ(lire(chemins[static_cast<size_t>(i)]), QByteArray::number(i));  // none overwritten
    EXPECT_EQ(d.noms().size(), n + 1);  // no temporary left behind
}

TEST(Nommage, DossierAbsentEchoueSansBoucler)
{
    Dossier d;
    try {
        Conversions::Sortie(d.chemin(QStringLiteral("absent")), QStringLiteral("x"), QStringLiteral("png"));
        FAIL() << "a folder that does not exist must fail";
    } catch (const Conversions::Erreur& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Impossible d’écrire « x.png »"));
    }
}

} // namespace
