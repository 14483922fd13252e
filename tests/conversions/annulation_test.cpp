// A stop of the engine, in a process of its own (the stop lasts for the rest of the run).
#include "conversions/sorties/Annulation.h"
#include "conversions/Conversions.h"
#include "conversions/sorties/DossierDeTravail.h"
#include "conversions/travail/Processus.h"
#include "conversions/sorties/Sortie.h"

#include "commun/Dossier.h"
#include "commun/Exiger.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <atomic>
#include <cstdlib>
#include <gtest/gtest.h>
#include <thread>

namespace {

// A job's holdings (an output half written, a work folder, a child) as the stop finds them.
void arreter()
{
    using namespace Conversions;
    Dossier d;
    const QString source = d.ecrire(QStringLiteral("photo.png"), "pas une image");
    auto sortie = std::make_unique<Sortie>(Sortie::apres(source, {}, QStringLiteral("jpg")));
    QFile t(sortie->temporaire());
    exiger(t.open(QIODevice::WriteOnly) && t.write("à moitié") > 0, "temporaire");
    t.close();
    auto travail = std::make_unique<DossierDeTravail>(d.racine(), QStringLiteral(".travail-"));
    QFile(travail->fichier(QStringLiteral("morceau"))).open(QIODevice::WriteOnly);

    std::atomic<int> issue{0};  // 1: the child's end threw Annulee
    std::thread enfant([&] {
        try {
            Processus p(QStringLiteral("/bin/sleep"), {QStringLiteral("30")}, Processus::Flux::neant);
            issue = 2;
            p.attendre();
            issue = 3;
        } catch (const Annulee&) {
            issue = 1;
        }
    });
    while (issue == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));

    QElapsedTimer chrono;
    chrono.start();
    annuler();
    enfant.join();
    exiger(issue == 1, "la fin de l’enfant annulé ne lève pas Annulee");
    exiger(chrono.elapsed() < 1000, "l’enfant n’a pas été arrêté à temps");

    // Nothing new starts: no reservation, no child, no batch.
    try {
        Sortie autre(d.racine(), QStringLiteral("autre"), QStringLiteral("png"));
        echouer("une sortie réservée après l’arrêt");
    } catch (const Annulee&) {
    }
    exiger(!QFileInfo::exists(d.chemin(QStringLiteral("autre.png"))), "nom réservé après l’arrêt");
    try {
        Processus p(QStringLiteral("/bin/true"), {}, Processus::Flux::neant);
        echouer("un enfant lancé après l’arrêt");
    } catch (const Annulee&) {
    }
    try {
        convertir({source}, QStringLiteral("png"), {});
        echouer("un lot converti après l’arrêt");
    } catch (const Annulee&) {
    }

    // A job stuck in a library never lets go: the last step removes what it holds.
    const QString chemin = sortie->chemin(), temporaire = sortie->temporaire(), dossier = travail->chemin();
    nettoyer();
    exiger(!QFileInfo::exists(chemin) && !QFileInfo::exists(temporaire), "sortie laissée");
    exiger(!QFileInfo::exists(dossier), "dossier de travail laissé");
    exiger(QFileInfo::exists(source), "la source a disparu");
    // The holders' own cleanup afterwards finds nothing left and throws nothing.
    sortie.reset();
    travail.reset();
    std::_Exit(0);
}

} // namespace

TEST(Annulation, ArretDuMoteur)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(arreter(), testing::ExitedWithCode(0), "");
}
