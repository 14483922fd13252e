// Work handed to a worker by the tool windows: a task that throws ends neither its thread nor
// the application, and its failure comes back as any other, in French, with its words logged.
#include "commun/Attendre.h"
#include "conversions/Erreur.h"
#include "fenetres/commun/modele/EnFond.h"

#include <gtest/gtest.h>
#include <new>

TEST(EnFond, UneTacheQuiLeveRapporteSonEchec)
{
    QObject garde;
    const std::pair<std::function<int()>, QString> cas[] = {
        {[]() -> int { throw Conversions::Erreur::lecture(QStringLiteral("photo.heic")); },
         QStringLiteral("Impossible de lire « photo.heic »")},
        {[]() -> int { throw std::bad_alloc(); }, Conversions::description(std::bad_alloc())},
        {[]() -> int { throw 42; }, Conversions::description(std::runtime_error("exception inconnue"))}};
    for (const auto& [travail, attendu] : cas) {
        bool suite = false;
        QString echec;
        enFond<int>(&garde, travail, [&](int) { suite = true; }, [&](const QString& t) { echec = t; });
        ASSERT_TRUE(attendre([&] { return !echec.isEmpty(); }));
        EXPECT_EQ(echec, attendu);
        EXPECT_FALSE(suite);
    }
    // The worker lives on: the next task runs.
    int resultat = 0;
    enFond<int>(&garde, [] { return 7; }, [&](int r) { resultat = r; });
    EXPECT_TRUE(attendre([&] { return resultat == 7; }));
}
