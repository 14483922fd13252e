// An archive's folder renamed away, or replaced by a new folder of the same name, at any
// moment of its unpacking: the old path is never made again, nothing of ours is left in
// either folder, and the failure names the folder that went.
#include "conversions/essais_outils.h"

#include "conversions/Chemins.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QRandomGenerator>

#include <atomic>
#include <chrono>
#include <thread>

using namespace Conversions;
using namespace essais;

namespace {

// `dossier`'s names, hidden ones too, at every depth.
QStringList toutDans(const QString& dossier)
{
    QStringList noms;
    QDirIterator it(dossier, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        noms << QDir(dossier).relativeFilePath(it.next());
    noms.sort();
    return noms;
}

TEST(ArchivesDeplacees, UnDossierDeplaceOuRemplacePendantLeDeballageNeRecoitRien)
{
    Dossier d;
    const QString zip = d.chemin("projets/dossiers.zip");
    QDir().mkpath(QFileInfo(zip).absolutePath());
    ASSERT_EQ(executer("python3", {"-c", "import sys, zipfile\n"
                                         "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
                                         "    for i in range(1500): z.writestr(f'd{i % 30}/n{i}/note.txt', 'note')",
                                   zip}),
              0);
    // How long one unpacking takes here: the moves fall anywhere within it.
    QElapsedTimer chrono;
    chrono.start();
    const QString temoin = convertirSeul(zip, "extraire");
    const qint64 duree = std::max<qint64>(chrono.elapsed(), 20);
    ASSERT_TRUE(QDir(temoin).removeRecursively());

    QRandomGenerator alea(2024);
    int echecs = 0;
    for (int essai = 0; essai < 12; ++essai) {
        SCOPED_TRACE(essai);
        const bool remplace = essai % 2 == 1;
        const QString dossier = d.chemin("projets");
        const QString ailleurs = d.chemin(QStringLiteral("parti-%1").arg(essai));
        std::atomic<bool> fini{false};
        Resultat r;
        std::thread travail([&] {
            r = convertir({zip}, "extraire", {});
            fini = true;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(alea.bounded(duree)));
        const bool deplace = !fini && QDir().rename(dossier, ailleurs);
        if (deplace && remplace)
            QDir().mkdir(dossier);
        travail.join();
        if (!deplace) {
            QDir(r.crees.value(0, dossier + "/rien")).removeRecursively();
            continue;
        }
        if (r.crees.isEmpty()) {
            ++echecs;
            EXPECT_EQ(r.erreurs, QStringList{inecrivable("projets")});
        } else {
            // Done before the move was seen: the whole result went with the folder.
            EXPECT_TRUE(r.erreurs.isEmpty());
            EXPECT_EQ(toutDans(ailleurs + "/dossiers").size(), 1500 * 2 + 30);
            QDir(ailleurs + "/dossiers").removeRecursively();
        }
        EXPECT_EQ(toutDans(ailleurs), QStringList{"dossiers.zip"});
        if (remplace)
            EXPECT_EQ(toutDans(dossier), QStringList{}) << "le nouveau dossier a reçu du travail";
        else
            EXPECT_FALSE(QFileInfo::exists(dossier)) << "dossier refait à l’ancien chemin";
        // The archive back where the next trial expects it.
        if (remplace)
            QDir().rmdir(dossier);
        ASSERT_TRUE(QDir().rename(ailleurs, dossier));
    }
    EXPECT_GT(echecs, 0) << "aucun déplacement pendant le déballage";
}

} // namespace
