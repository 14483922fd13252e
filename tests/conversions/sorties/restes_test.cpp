// What the engine leaves behind: nothing in a folder the user moved during a job, nothing
// readable by others in the temporary folder, and a register that removes no user's file and
// forgets nothing it could not remove.
#include "conversions/Chemins.h"
#include "conversions/Conversions.h"
#include "conversions/sorties/Annulation.h"
#include "conversions/sorties/Restes.h"
#include "conversions/sorties/FichierDeSortie.h"
#include "conversions/sorties/Sortie.h"
#include "conversions/travail/Processus.h"

#include "conversions/essais_outils.h"
#include "conversions/media_outils.h"
#include "conversions/pdf/pdf_fabrique.h"
#include "commun/Exiger.h"

#include <QDirIterator>
#include <QRegularExpression>

#include <atomic>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace Conversions;

namespace {

// Converts `source` on a thread; once `pret` says the job's hidden work is there, moves the
// source's folder to `ailleurs`. The job must fail, and leave nothing of its own anywhere.
void deplacerPendant(const QString& source, const QString& petale, const std::function<bool(const QStringList&)>& pret)
{
    const QString dossier = QFileInfo(source).absolutePath();
    const QString ailleurs = dossier + QStringLiteral("-ailleurs");
    std::atomic<bool> fini{false};
    Resultat r;
    std::thread travail([&] {
        r = convertir({source}, petale, {});
        fini = true;
    });
    while (!fini && !pret(tout(dossier)))
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const bool deplace = !fini && QDir().rename(dossier, ailleurs);
    travail.join();
    ASSERT_TRUE(deplace) << "le travail a fini avant le déplacement : " << petale.toStdString();
    EXPECT_TRUE(r.crees.isEmpty()) << petale.toStdString();
    EXPECT_EQ(r.erreurs.size(), 1) << petale.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dossier)) << "dossier refait à l’ancien chemin : " << petale.toStdString();
    EXPECT_EQ(tout(ailleurs), QStringList{nomDe(source)}) << petale.toStdString();
}

bool caches(const QStringList& noms, int combien)
{
    return std::count_if(noms.begin(), noms.end(), [](const QString& n) { return n.startsWith(QLatin1Char('.')); })
           >= combien;
}

} // namespace

// The user renames the source's folder while a job works in it: the hidden work goes with
// the folder, and must be removed there; the old path is never made again.
TEST(Restes, AFolderMovedDuringAJobKeepsNoneOfItsWork)
{
    Dossier d;
    const QString zip = d.chemin(QStringLiteral("zip/notes.zip"));
    QDir().mkpath(QFileInfo(zip).absolutePath());
    ASSERT_EQ(executer("python3", {"-c", "import sys, zipfile\n"
                                         "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
                                         "    for i in range(2000): z.writestr(f'notes/{i}.txt', 'note')",
                                   zip}),
              0);
    deplacerPendant(zip, QStringLiteral("extraire"), [](const QStringList& noms) { return caches(noms, 1); });

    QDir().mkpath(d.chemin(QStringLiteral("pdf")));
    const QString pdf = pdfLourd(d.chemin(QStringLiteral("pdf/doc.pdf")), 30);
    deplacerPendant(pdf, QStringLiteral("separer"), [](const QStringList& noms) { return caches(noms, 3); });

    lierFFmpeg();
    QDir().mkpath(d.chemin(QStringLiteral("video")));
    const QString film = clip(d.chemin(QStringLiteral("video/film.mkv")), QStringLiteral("1280x720"), 20, true, x264);
    deplacerPendant(film, QStringLiteral("mp4"), [&](const QStringList& noms) {
        for (const QString& n : noms)
            if (n.startsWith(QLatin1Char('.')) && QFileInfo(d.chemin(QStringLiteral("video/") + n)).size() > 100000)
                return true;
        return false;
    });
}

// The temporary folder is every local user's: what we make there is ours alone.
TEST(Restes, WorkInTheTemporaryFolderIsPrivate)
{
    Dossier d;
    const QString tmp = d.creerDossier(QStringLiteral("tmp"));
    const QByteArray ancien = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(tmp));
    lierFFmpeg();
    const mode_t masque = ::umask(022);
    const QString son = d.chemin(QStringLiteral("voix.ogg"));
    ffmpeg({"-f", "lavfi", "-i", "sine=frequency=440:duration=20", "-c:a", "libvorbis"}, son);
    QStringList vus;
    const Resultat r = convertir({son}, QStringLiteral("wav"), [&](double) {
        QDirIterator it(tmp, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString c = it.next();
            struct stat st;
            if (::lstat(QFile::encodeName(c).constData(), &st) == 0 && S_ISDIR(st.st_mode))
                vus << QStringLiteral("%1 %2").arg(QDir(tmp).relativeFilePath(c).section('-', 0, 2)).arg(st.st_mode & 0777, 0, 8);
        }
    });
    ::umask(masque);
    if (ancien.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", ancien);
    EXPECT_TRUE(r.erreurs.isEmpty()) << r.erreurs.join(' ').toStdString();
    ASSERT_FALSE(vus.isEmpty());
    vus.removeDuplicates();
    EXPECT_EQ(vus, QStringList{QStringLiteral("vemo-vododod-son 700")});
}

// A temporary that cannot be removed when its job ends stays written down, so that the stop
// of the engine (or the next start) removes it once it can.
TEST(Restes, AnOutputTemporaryThatStaysStaysRegistered)
{
    GTEST_FLAG_SET(death_test_style, "fast");
    Dossier d;
    EXPECT_EXIT(
        {
            // Root removes whatever the modes say: the test plays an ordinary user.
            if (::getuid() == 0)
                exiger(::chmod(QFile::encodeName(d.racine()).constData(), 0777) == 0 && ::setgid(65534) == 0
                           && ::setuid(65534) == 0,
                       "utilisateur ordinaire");
            const QString dossier = d.creerDossier(QStringLiteral("sorties"));
            const QByteArray local = QFile::encodeName(dossier);
            tenirRegistre(d.chemin(QStringLiteral("etat")));
            QString temporaire;
            {
                Sortie sortie(dossier, QStringLiteral("photo"), QStringLiteral("jpg"));
                // Where it lies: the path it was written through goes with the output.
                temporaire = QDir(dossier).filePath(nomDe(sortie.temporaire()));
                QFile t(temporaire);
                exiger(t.open(QIODevice::WriteOnly) && t.write("à moitié") > 0, "temporaire");
                t.close();
                exiger(::chmod(local.constData(), 0500) == 0, "dossier fermé");
            }
            exiger(QFileInfo::exists(temporaire), "le temporaire est parti malgré le dossier fermé");
            exiger(::chmod(local.constData(), 0700) == 0, "dossier rouvert");
            nettoyer();
            exiger(!QFileInfo::exists(temporaire), "le temporaire resté n’est plus tenu");
            std::_Exit(0);
        },
        testing::ExitedWithCode(0), "");
}

// The start after a killed run removes a leftover only where it was made: never through a
// link on its way, and a line it cannot reach now (a drive not mounted) waits for a later start.
TEST(Restes, TheStartFollowsNoLinkAndKeepsWhatItCannotReach)
{
    GTEST_FLAG_SET(death_test_style, "fast");
    Dossier d;
    const QString registres = d.creerDossier(QStringLiteral("etat"));
    const QString precieux = d.ecrire(QStringLiteral("documents/.vemo-vododod-precieux-0123456789ab.jpg"), "à moi");
    const QString lien = d.chemin(QStringLiteral("raccourci"));
    ASSERT_TRUE(QFile::link(QFileInfo(precieux).absolutePath(), lien));
    const QString disque = d.chemin(QStringLiteral("disque"));
    const QString absent = disque + QStringLiteral("/photos/.vemo-vododod-photo-0123456789ab.jpg");
    const auto ligne = [](const QString& c) { return '+' + QFile::encodeName(c).toPercentEncoding() + '\n'; };
    QFile mort(QDir(registres).filePath(QStringLiteral("mort.registre")));
    ASSERT_TRUE(mort.open(QIODevice::WriteOnly));
    // A dead run's descriptors are gone with it: such a line can never be reached again.
    const QString parDescripteur = QStringLiteral("/proc/999999999/fd/7/.vemo-vododod-x-0123456789ab.jpg");
    mort.write(ligne(lien + QStringLiteral("/.vemo-vododod-precieux-0123456789ab.jpg")) + ligne(absent) + ligne(parDescripteur));
    mort.close();

    const auto demarrer = [&](int attendus) {
        EXPECT_EXIT(
            {
                exiger(tenirRegistre(registres) == attendus, "pas le nombre de restes attendu");
                std::_Exit(0);
            },
            testing::ExitedWithCode(0), "")
            << attendus;
    };
    demarrer(0);
    EXPECT_EQ(lire(precieux), QByteArray("à moi"));
    // The drive comes back: the next start finds what was left on it.
    d.ecrire(QStringLiteral("disque/photos/.vemo-vododod-photo-0123456789ab.jpg"), "à moitié");
    demarrer(1);
    EXPECT_FALSE(QFileInfo::exists(absent));
    EXPECT_TRUE(QFileInfo::exists(precieux));
    // Nothing is left to wait for: the dead run's register is gone.
    EXPECT_FALSE(mort.exists());
}

namespace {

// A dead run's line for the output `chemin` of a hand-over, made from `temporaire`, with the
// identity of the file that bears `chemin` now.
QByteArray remise(const QString& chemin, const QString& temporaire)
{
    struct stat st;
    EXPECT_EQ(::lstat(QFile::encodeName(chemin).constData(), &st), 0);
    return '>' + QFile::encodeName(chemin).toPercentEncoding() + ' ' + QByteArray::number(quint64(st.st_dev)) + ':'
           + QByteArray::number(quint64(st.st_ino)) + ':' + QByteArray::number(qint64(st.st_size)) + ':'
           + QByteArray::number(qint64(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec) + ' '
           + QFile::encodeName(temporaire).toPercentEncoding() + '\n';
}

} // namespace

// A register removes only names the application gives: never a user's file of a name like
// ours, never a user's PDF nor a second name of our output that a line points at.
TEST(Restes, ARegisterRemovesOnlyNamesTheApplicationGives)
{
    GTEST_FLAG_SET(death_test_style, "fast");
    Dossier d;
    const QString registres = d.creerDossier(QStringLiteral("etat"));
    const QString pdf = d.creerDossier(QStringLiteral("pdf"));
    const auto plus = [](const QString& c) { return '+' + QFile::encodeName(c).toPercentEncoding() + '\n'; };
    const QString budget = d.ecrire(QStringLiteral("pdf/vemo-vododod-budget.ods"), "à moi");
    d.ecrire(QStringLiteral("pdf/.vemo-vododod-notes/idées.txt"), "à moi");
    const QString rapport = d.ecrire(QStringLiteral("pdf/rapport.pdf"), "%PDF à moi");
    const QString page2 = d.ecrire(QStringLiteral("pdf/doc page 2.pdf"), "%PDF page 2");
    ASSERT_EQ(::link(QFile::encodeName(page2).constData(), QFile::encodeName(d.chemin("pdf/copie.pdf")).constData()), 0);
    const QString page3 = d.ecrire(QStringLiteral("pdf/doc page 3.pdf"), "%PDF page 3");
    const QString laisse = d.ecrire(QStringLiteral("pdf/.vemo-vododod-doc-0123456789ab.pdf"), "à moitié");
    QFile mort(QDir(registres).filePath(QStringLiteral("mort.registre")));
    ASSERT_TRUE(mort.open(QIODevice::WriteOnly));
    mort.write(plus(budget) + plus(d.chemin("pdf/.vemo-vododod-notes")) + plus(laisse)
               + remise(rapport, QStringLiteral(".vemo-vododod-doc page 1-0123456789ab.pdf"))
               + remise(page2, QStringLiteral(".vemo-vododod-doc page 2-0123456789ab.pdf"))
               + remise(page3, QStringLiteral(".vemo-vododod-doc page 3-0123456789ab.pdf")));
    mort.close();
    EXPECT_EXIT(
        {
            exiger(tenirRegistre(registres) == 2, "pas deux restes supprimés");
            std::_Exit(0);
        },
        testing::ExitedWithCode(0), "");
    EXPECT_EQ(tout(pdf), (QStringList{".vemo-vododod-notes", "copie.pdf", "doc page 2.pdf", "rapport.pdf",
                                      "vemo-vododod-budget.ods"}));
    EXPECT_EQ(lire(d.chemin("pdf/.vemo-vododod-notes/idées.txt")), QByteArray("à moi"));
}

// Pages handed over together, their folder closed in the middle: the pages already in place
// cannot be removed, and stay written down until the next start removes them.
TEST(Restes, AnOutputThatCannotBeRemovedStaysRegistered)
{
    GTEST_FLAG_SET(death_test_style, "fast");
    Dossier d;
    const QString etat = d.chemin(QStringLiteral("etat"));
    const QString pages = d.chemin(QStringLiteral("pages"));
    const QByteArray local = QFile::encodeName(pages);
    // Root removes whatever the modes say: the runs play an ordinary user.
    const auto utilisateur = [&] {
        if (::getuid() == 0)
            exiger(::chmod(QFile::encodeName(d.racine()).constData(), 0777) == 0 && ::setgid(65534) == 0
                       && ::setuid(65534) == 0,
                   "utilisateur ordinaire");
    };
    EXPECT_EXIT(
        {
            utilisateur();
            exiger(QDir().mkpath(pages), "dossier des pages");
            tenirRegistre(etat);
            std::vector<std::unique_ptr<Sortie>> sorties;
            for (int i = 1; i <= 2000; ++i) {
                sorties.push_back(std::make_unique<Sortie>(pages, QStringLiteral("doc page %1").arg(i), "pdf"));
                ecrireDans(*sorties.back(), "%PDF");
            }
            const int veille = ::inotify_init1(IN_CLOEXEC);
            exiger(::inotify_add_watch(veille, local.constData(), IN_MOVED_TO) >= 0, "veille");
            std::thread fermer([&] {
                char evenement[4096];
                exiger(::read(veille, evenement, sizeof evenement) > 0, "aucune page remise");
                exiger(::chmod(local.constData(), 0555) == 0, "dossier fermé");
            });
            bool echoue = false;
            try {
                validerTout(sorties);
            } catch (const Erreur&) {
                echoue = true;
            }
            fermer.join();
            exiger(echoue, "toutes les pages remises avant la fermeture du dossier");
            exiger(!tout(pages).filter(QRegularExpression("^doc page")).isEmpty(), "aucune page restée");
            exiger(::chmod(local.constData(), 0755) == 0, "dossier rouvert");
            std::_Exit(0);
        },
        testing::ExitedWithCode(0), "");
    EXPECT_EXIT(
        {
            utilisateur();
            exiger(tenirRegistre(etat) > 0, "rien d’enlevé");
            std::_Exit(0);
        },
        testing::ExitedWithCode(0), "");
    EXPECT_EQ(tout(pages), QStringList());
}

// A child started without pipes has nothing to read: reading its streams returns at once.
TEST(Restes, AChildWithoutStreamsIsNotReadForEver)
{
    Processus p(QStringLiteral("/bin/true"), {}, Processus::Flux::neant);
    EXPECT_TRUE(lireLesFlux(p, [](bool, const QByteArray&) {}, std::chrono::steady_clock::now() + std::chrono::seconds(5)));
    EXPECT_EQ(p.attendre(), 0);
}
