// Quitting and killing mid-job: the children end with the application, a cancelled job
// leaves none of its outputs, and a killed run's leftovers go at the next start. Each stop
// runs in a process of its own (a stop of the engine lasts for the rest of the run).
#include "conversions/sorties/Annulation.h"
#include "conversions/Conversions.h"
#include "conversions/sorties/DossierDeTravail.h"
#include "conversions/travail/Processus.h"
#include "conversions/sorties/Restes.h"
#include "conversions/sorties/Sortie.h"

#include "conversions/pdf/pdf_fabrique.h"
#include "commun/Dossier.h"
#include "commun/Exiger.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

using namespace Conversions;
using essais::pdfLourd;

namespace {

void patienter(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// The process `pid` has ended (gone, or a zombie waiting for the system to reap it).
bool fini(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray ligne = stat.readAll();
    const qsizetype fin = ligne.lastIndexOf(')');
    return fin > 0 && ligne.mid(fin + 2, 1) == "Z";
}

bool finiDans(pid_t pid, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!fini(pid)) {
        if (t.elapsed() > ms)
            return false;
        patienter(10);
    }
    return true;
}

// The pid a child script wrote at `chemin`, once it is there.
pid_t pidEcrit(const QString& chemin)
{
    for (int i = 0; i < 1000; ++i) {
        QFile f(chemin);
        if (f.open(QIODevice::ReadOnly)) {
            const QByteArray l = f.readAll().trimmed();
            if (!l.isEmpty())
                return static_cast<pid_t>(l.toInt());
        }
        patienter(10);
    }
    return -1;
}

// A script that writes its pid then waits for ever, as a program stuck on a file does.
QString bloque(const Dossier& d, const QString& nom, const QString& fichierPid)
{
    const QString script = d.ecrire(QStringLiteral("bin/") + nom,
                                    "#!/bin/sh\necho $$ > '" + fichierPid.toUtf8() + "'\nexec sleep 600\n");
    QFile::setPermissions(script, QFile::permissions(script) | QFileDevice::ExeOwner);
    return script;
}

// Converts on a worker thread as the application does; `issue` becomes 1 when the job is
// cancelled, 2 when it ends.
std::thread enFond(const QString& source, const QString& petale, std::atomic<int>& issue)
{
    return std::thread([source, petale, &issue] {
        try {
            convertir({source}, petale, {});
            issue = 2;
        } catch (const Annulee&) {
            issue = 1;
        }
    });
}

void separerPuisQuitter()
{
    Dossier d;
    const QString source = pdfLourd(d.chemin(QStringLiteral("doc.pdf")), 20);
    std::atomic<int> issue{0};
    std::thread travail = enFond(source, QStringLiteral("separer"), issue);
    // Three pages written (under their final names or still hidden), seventeen to go.
    while (issue == 0 && d.noms().size() < 4)
        patienter(1);
    annuler();
    travail.join();
    exiger(issue == 1, "Séparer a fini avant l’arrêt");
    exiger(d.noms() == QStringList{QStringLiteral("doc.pdf")}, "des pages restent après l’arrêt");
    std::_Exit(0);
}

void lecteurBloquepuisQuitter()
{
    Dossier d;
    const QString pid = d.chemin(QStringLiteral("pid"));
    bloque(d, QStringLiteral("antiword"), pid);
    qputenv("PATH", QFile::encodeName(d.chemin(QStringLiteral("bin"))) + ':' + qgetenv("PATH"));
    const QString source = d.ecrire(QStringLiteral("vieux.doc"), QByteArray("\xD0\xCF\x11\xE0", 4) + QByteArray(600, '\0'));
    std::atomic<int> issue{0};
    std::thread travail = enFond(source, QStringLiteral("pdf"), issue);
    const pid_t lecteur = pidEcrit(pid);
    exiger(lecteur > 0, "le lecteur ne démarre pas");
    QElapsedTimer chrono;
    chrono.start();
    annuler();
    travail.join();
    exiger(issue == 1, "la conversion n’a pas été annulée");
    exiger(chrono.elapsed() < 1000, "l’arrêt a attendu le lecteur");
    exiger(fini(lecteur), "le lecteur tourne encore après l’arrêt");
    std::_Exit(0);
}

// Killed while poppler writes a run of pages beside the PDF in `dossier`, with a register
// in `etat`.
void tuerPendantLesPages(const QString& dossier, const QString& etat)
{
    tenirRegistre(etat);
    const QString source = pdfLourd(QDir(dossier).filePath(QStringLiteral("doc.pdf")), 60);
    std::atomic<int> issue{0};
    std::thread travail = enFond(source, QStringLiteral("jpg"), issue);
    travail.detach();
    auto ecrites = [&] {
        for (const QString& n : QDir(dossier).entryList(QDir::Files | QDir::Hidden))
            if (n.contains(QStringLiteral("pages-")))
                return true;
        return false;
    };
    while (issue == 0 && !ecrites())
        patienter(1);
    exiger(issue == 0, "les pages ont fini avant la mort");
    ::raise(SIGKILL);
}

} // namespace

// Every file a helper program writes for us is written down: the start after a kill during
// poppler's pages leaves the PDF alone in its folder.
TEST(Restes, TheNextStartRemovesThePagesOfAKilledRun)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    Dossier d;
    // The child runs this test again from its start: it works where the parent looks.
    if (!qEnvironmentVariableIsSet("VEMO_ESSAI_PAGES"))
        qputenv("VEMO_ESSAI_PAGES", QFile::encodeName(d.racine()));
    EXPECT_EXIT(
        {
            const QString racine = qEnvironmentVariable("VEMO_ESSAI_PAGES");
            QDir().mkpath(racine + QStringLiteral("/pdf"));
            tuerPendantLesPages(racine + QStringLiteral("/pdf"), racine + QStringLiteral("/etat"));
        },
        testing::KilledBySignal(SIGKILL), "");
    qunsetenv("VEMO_ESSAI_PAGES");
    patienter(200);  // poppler dies with its parent
    GTEST_FLAG_SET(death_test_style, "fast");
    EXPECT_EXIT(
        {
            tenirRegistre(d.chemin(QStringLiteral("etat")));
            std::_Exit(0);
        },
        testing::ExitedWithCode(0), "");
    EXPECT_EQ(QDir(d.chemin(QStringLiteral("pdf"))).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("doc.pdf")});
}

TEST(Arret, QuittingDuringSeparerLeavesNoPage)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(separerPuisQuitter(), testing::ExitedWithCode(0), "");
}

TEST(Arret, QuittingEndsAHungReaderOfOldWordFiles)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(lecteurBloquepuisQuitter(), testing::ExitedWithCode(0), "");
}

// A child started from a worker thread dies with the application killed outright.
TEST(Arret, ChildrenDieWithAKilledApplication)
{
    // Forked as it stands: the child shares this test's folder.
    GTEST_FLAG_SET(death_test_style, "fast");
    Dossier d;
    const QString pid = d.chemin(QStringLiteral("pid"));
    const QString script = bloque(d, QStringLiteral("outil"), pid);
    EXPECT_EXIT(
        {
            std::thread([&] {
                Processus p(script, {}, Processus::Flux::neant);
                p.attendre();
            }).detach();
            exiger(pidEcrit(pid) > 0, "l’enfant ne démarre pas");
            ::raise(SIGKILL);
        },
        testing::KilledBySignal(SIGKILL), "");
    const pid_t enfant = pidEcrit(pid);
    ASSERT_GT(enfant, 0);
    EXPECT_TRUE(finiDans(enfant, 1000)) << "l’enfant tourne encore une seconde après la mort de l’application";
    if (!fini(enfant))
        ::kill(enfant, SIGKILL);
}

// A killed run leaves its hidden temporaries and work folders; the next start removes them,
// and only them: never a user's file that a register names, never through a link, never
// what a living run holds.
TEST(Restes, TheNextStartRemovesWhatAKilledRunLeft)
{
    GTEST_FLAG_SET(death_test_style, "fast");
    Dossier d;
    const QString registres = d.chemin(QStringLiteral("etat"));
    const QString photos = d.creerDossier(QStringLiteral("photos"));
    const QString source = d.ecrire(QStringLiteral("photos/photo.png"), "pas une image");
    const QString tmp = d.creerDossier(QStringLiteral("tmp"));
    EXPECT_EXIT(
        {
            tenirRegistre(registres);
            Sortie sortie = Sortie::apres(source, {}, QStringLiteral("jpg"));
            QFile t(sortie.temporaire());
            exiger(t.open(QIODevice::WriteOnly) && t.write("à moitié") > 0, "temporaire");
            t.close();
            DossierDeTravail extraction(photos, QStringLiteral(".extraction-"));
            DossierDeTravail son(tmp, QStringLiteral("son-"));
            QFile(son.fichier(QStringLiteral("long.wav"))).open(QIODevice::WriteOnly);
            ::raise(SIGKILL);
        },
        testing::KilledBySignal(SIGKILL), "");
    const QStringList laisses = QDir(photos).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    ASSERT_EQ(laisses.size(), 3) << laisses.join(' ').toStdString();
    for (const QString& nom : laisses)
        if (nom != QLatin1String("photo.png")) {
            EXPECT_TRUE(nom.startsWith(QStringLiteral(".vemo-vododod-"))) << nom.toStdString();
        }
    ASSERT_EQ(QDir(tmp).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 1);

    // A forged register of a dead run that names a user's file, and a link that bears our
    // name; a living run's register (locked) that names a temporary of its own.
    const QString notes = d.ecrire(QStringLiteral("photos/notes.txt"), "à moi");
    const QString garde = d.ecrire(QStringLiteral("garder/precieux.txt"), "à moi aussi");
    const QString lien = QDir(photos).filePath(QStringLiteral(".vemo-vododod-lien-0123456789ab"));
    ASSERT_TRUE(QFile::link(QFileInfo(garde).absolutePath(), lien));
    const QString vivant = d.ecrire(QStringLiteral("photos/.vemo-vododod-vivant-0123456789ab.jpg"), "en cours");
    const auto ligne = [](const QString& c) { return '+' + QFile::encodeName(c).toPercentEncoding() + '\n'; };
    QDir().mkpath(registres);
    QFile faux(QDir(registres).filePath(QStringLiteral("faux.registre")));
    ASSERT_TRUE(faux.open(QIODevice::WriteOnly));
    faux.write(ligne(notes) + ligne(lien) + ligne(QFileInfo(garde).absolutePath()) + ligne(photos + "/../photos/photo.png"));
    faux.close();
    const int fd = ::open(QFile::encodeName(QDir(registres).filePath(QStringLiteral("vivant.registre"))).constData(),
                          O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    const QByteArray l = ligne(vivant);
    ASSERT_EQ(::write(fd, l.constData(), static_cast<size_t>(l.size())), l.size());

    EXPECT_EXIT(
        {
            exiger(tenirRegistre(registres) == 3, "pas trois restes supprimés");
            std::_Exit(0);
        },
        testing::ExitedWithCode(0), "");
    ::close(fd);
    QStringList reste = QDir(photos).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    reste.sort();
    EXPECT_EQ(reste, (QStringList{".vemo-vododod-lien-0123456789ab", ".vemo-vododod-vivant-0123456789ab.jpg", "notes.txt", "photo.png"}));
    EXPECT_TRUE(QDir(tmp).isEmpty());
    EXPECT_TRUE(QFileInfo::exists(garde));
    EXPECT_TRUE(QFileInfo::exists(QDir(registres).filePath(QStringLiteral("vivant.registre"))));
    EXPECT_FALSE(QFileInfo::exists(QDir(registres).filePath(QStringLiteral("faux.registre"))));
}
