// Archives that reach past their folder through links they make (given a free name, named
// with "." parts, pointing at the working folder), and archives whose names collide: nothing
// outside is created, changed or removed, and no entry of an honest archive is lost.
#include "archives_fabrique.h"
#include "conversions/media_outils.h"

#include "commun/Ecoute.h"

#include <atomic>
#include <thread>
#include <unistd.h>

using namespace Conversions;
using namespace Fabrique;

namespace {

// The working folder of the process, put back at the end.
class Courant {
public:
    explicit Courant(const QString& dossier) : avant_(QDir::currentPath()) { QDir::setCurrent(dossier); }
    ~Courant() { QDir::setCurrent(avant_); }

private:
    QString avant_;
};

class ArchivesHostiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        d.ecrire("dehors/canari.txt", "ne pas toucher");
        d.ecrire("dehors/.config/autostart/garde.desktop", "[Desktop Entry]");
        d.ecrire("courant/canari.txt", "le dossier de travail du processus");
        d.creerDossier("zone");
    }
    // The archive `nom` of `entrees` unpacked in zone/; its result.
    Resultat extraire(const QString& nom, const std::vector<Entree>& entrees)
    {
        ecrireZip(d.chemin("zone/" + nom), entrees);
        return convertir({d.chemin("zone/" + nom)}, "extraire", {});
    }
    Dossier d;
};

// Each archive writes through a link it made: the link given a free name because an entry
// held its name first, or named with "." parts and doubled slashes that only the cleaned
// name shows.
TEST_F(ArchivesHostiles, NoEntryIsWrittenThroughALinkWhateverItsName)
{
    const QString dehors = d.chemin("dehors");
    const struct { const char* nom; std::vector<Entree> entrees; const char* coupable; } cas[] = {
        {"fichier.zip", {fichier("x", "1"), lien("x", "../../dehors"), fichier("x 2/pwn.txt", "pwn")}, "x 2/pwn.txt"},
        {"dossier.zip", {dossier("x/"), lien("x", dehors), fichier("x 2/pwn.txt", "pwn")}, "x 2/pwn.txt"},
        {"liens.zip", {lien("a", dehors), lien("a", dehors), fichier("a 2/pwn.txt", "pwn")}, "a 2/pwn.txt"},
        {"extension.zip", {fichier("x.d", "1"), lien("x.d", dehors), fichier("x 2.d/pwn.txt", "pwn")}, "x 2.d/pwn.txt"},
        {"anonyme.zip", {fichier("", "1"), lien("", dehors), fichier("sans nom 2/pwn.txt", "pwn")},
         "sans nom 2/pwn.txt"},
        {"implicite.zip", {fichier("x/y.txt", "1"), lien("x", dehors), fichier("x 2/pwn.txt", "pwn")}, "x 2/pwn.txt"},
        {"imbrique.zip", {fichier("d/e", "1"), lien("d/e", dehors), fichier("d/e 2/pwn.txt", "pwn")},
         "d/e 2/pwn.txt"},
        {"courant.zip", {fichier("x", "1"), lien("x", "/proc/self/cwd"), fichier("x 2/pwn.txt", "pwn")}, "x 2/pwn.txt"},
        {"demarrage.zip",
         {fichier("x", "1"), lien("x", "../../dehors/.config/autostart"),
          fichier("x 2/pwn.desktop", "[Desktop Entry]\nExec=pwn")},
         "x 2/pwn.desktop"},
        // A folder over a file out there: the file stays.
        {"efface.zip", {fichier("x", "1"), lien("x", "../../dehors"), dossier("x 2/canari.txt/")}, "x 2/canari.txt"},
        {"point.zip", {lien("lien", dehors), fichier("./lien/pwn.txt", "pwn")}, "lien/pwn.txt"},
        {"barres.zip", {lien("lien", dehors), fichier("lien//pwn.txt", "pwn")}, "lien/pwn.txt"},
        {"milieu.zip", {lien("lien", dehors), fichier("lien/./pwn.txt", "pwn")}, "lien/pwn.txt"},
    };
    const QMap<QString, QByteArray> avantDehors = empreintes(dehors);
    const QMap<QString, QByteArray> avantCourant = empreintes(d.chemin("courant"));
    const Courant courant(d.chemin("courant"));
    QStringList archives;
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        const Ecoute journal;
        const Resultat r = extraire(c.nom, c.entrees);
        archives << c.nom;
        EXPECT_EQ(r.crees, QStringList{});
        EXPECT_EQ(r.erreurs, QStringList{QString::fromUtf8("« %1 » contient des chemins qui sortent de son dossier")
                                             .arg(QString::fromUtf8(c.nom))});
        EXPECT_TRUE(journal.messages("vemo.archives")
                        .contains(QString::fromUtf8("entrée qui sort du dossier : ") + QString::fromUtf8(c.coupable)))
            << journal.messages("vemo.archives").join('\n').toStdString();
        EXPECT_EQ(empreintes(dehors), avantDehors);
        EXPECT_EQ(empreintes(d.chemin("courant")), avantCourant);
        archives.sort();
        EXPECT_EQ(tout(d.chemin("zone")), archives);  // no work folder left, nothing else
    }
    EXPECT_EQ(tout(d.racine()), (QStringList{"courant", "dehors", "zone"}));
}

// What lies beside the unpacked result, as paths under it with their bytes ("dossier" for an
// empty folder).
QMap<QString, QByteArray> contenu(const QString& sortie)
{
    QMap<QString, QByteArray> vus;
    QDirIterator it(sortie, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo f(it.next());
        if (f.isDir() && !QDir(f.filePath()).isEmpty())
            continue;
        vus.insert(QDir(sortie).relativeFilePath(f.filePath()), f.isDir() ? QByteArray("dossier") : lire(f.filePath()));
    }
    return vus;
}

// A file, then a folder of its name: both kept, the folder under a free name, which the
// entries after it share.
TEST_F(ArchivesHostiles, AFolderNamedAsAFileTakesAFreeName)
{
    const QString longue = QString(300, QLatin1Char('n'));
    const QString coupee = QString(251, QLatin1Char('n'));  // cut to fit, ".txt" kept
    const struct { const char* nom; std::vector<Entree> entrees; QMap<QString, QByteArray> attendu; } cas[] = {
        {"dedans.zip",
         {fichier("x.txt", "texte"), fichier("x.txt/dedans.txt", "dedans"), fichier("x.txt/autre.txt", "autre")},
         {{"x.txt", "texte"}, {"x 2.txt/dedans.txt", "dedans"}, {"x 2.txt/autre.txt", "autre"}}},
        {"dossier.zip", {fichier("x.txt", "texte"), dossier("x.txt/"), fichier("x.txt/dedans.txt", "dedans")},
         {{"x.txt", "texte"}, {"x 2.txt/dedans.txt", "dedans"}}},
        {"vide.zip", {fichier("x.txt", "texte"), dossier("x.txt/")}, {{"x.txt", "texte"}, {"x 2.txt", "dossier"}}},
        {"imbrique.zip", {fichier("a/x", "x"), fichier("a/x/y.txt", "y"), fichier("b.txt", "b")},
         {{"a/x", "x"}, {"a/x 2/y.txt", "y"}, {"b.txt", "b"}}},
        {"long.zip", {fichier(longue + ".txt", "long"), fichier(longue + ".txt/y.txt", "y")},
         {{coupee + ".txt", "long"}, {QString(249, QLatin1Char('n')) + " 2.txt/y.txt", "y"}}},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        const Resultat r = extraire(c.nom, c.entrees);
        const QString sortie = d.chemin("zone/" + QFileInfo(c.nom).completeBaseName());
        ASSERT_EQ(r.crees, QStringList{sortie}) << r.erreurs.join(", ").toStdString();
        EXPECT_EQ(contenu(sortie), c.attendu);
    }
}

// Names that hold a line feed, an escape or a tab are quoted in the log with escapes: no
// name forges a line of the log or drives the terminal that shows it.
TEST_F(ArchivesHostiles, ControlCharactersOfNamesAreEscapedInTheLog)
{
    const Ecoute journal;
    const Resultat r = extraire("controle.zip", {fichier("a\nfaux : ligne.txt", "1"), fichier("a\nfaux : ligne.txt", "2"),
                                                 fichier("b\x1b[31m\tc", "3")});
    EXPECT_TRUE(r.erreurs.isEmpty()) << r.erreurs.join(", ").toStdString();
    EXPECT_TRUE(extraire("sortie.zip", {fichier("../\x1b[2Jefface", "x")}).crees.isEmpty());
    const QStringList lignes = journal.messages("vemo.archives");
    for (const QString& l : lignes)
        EXPECT_FALSE(l.contains(QLatin1Char('\n')) || l.contains(QLatin1Char('\x1b')) || l.contains(QLatin1Char('\t')))
            << l.toStdString();
    EXPECT_TRUE(lignes.contains(QString::fromUtf8("deux entrées du même nom, la seconde devient : a\\nfaux : ligne 2.txt")))
        << lignes.join(" | ").toStdString();
    EXPECT_TRUE(lignes.contains(QString::fromUtf8("entrée qui sort du dossier : ../\\x1b[2Jefface")))
        << lignes.join(" | ").toStdString();
}

// A name that holds a NUL byte is cut there by the reader: the entry is kept under what
// comes before it, and the log says so with the whole name.
TEST_F(ArchivesHostiles, ANameCutAtANulIsSaid)
{
    const QString zip = d.chemin("zone/nul.zip");
    ecrireZip(zip, {fichier("avant#apres.txt", "octets"), fichier("autre.txt", "autre")});
    QByteArray octets = lire(zip);
    ASSERT_EQ(octets.count("avant#apres.txt"), 2);  // the local header and the directory's
    octets.replace("avant#apres.txt", QByteArray("avant\0apres.txt", 15));
    QFile f(zip);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(octets) == octets.size());
    f.close();
    const Ecoute journal;
    const Resultat r = convertir({zip}, "extraire", {});
    ASSERT_EQ(r.crees, QStringList{d.chemin("zone/nul")}) << r.erreurs.join(", ").toStdString();
    EXPECT_EQ(contenu(r.crees[0]), (QMap<QString, QByteArray>{{"avant", "octets"}, {"autre.txt", "autre"}}));
    EXPECT_TRUE(journal.messages("vemo.archives")
                    .contains(QString::fromUtf8("nom d’entrée coupé à son octet nul : avant\\x00apres.txt")))
        << journal.messages("vemo.archives").join('\n').toStdString();
}

// Paths far past the system's limit (PATH_MAX) are written whole, one folder at a time: the
// process's working folder, which every thread shares, never changes on the way (a thread
// watches it meanwhile). Python walks the result by descriptors too.
TEST_F(ArchivesHostiles, APathPastTheSystemsLimitIsWrittenWhole)
{
    const QString profond = QStringLiteral("dossier-a-rallonge/").repeated(300);
    ASSERT_GT(profond.size(), 4096);
    std::vector<Entree> entrees{fichier("haut.txt", "haut")};
    for (int i = 0; i < 15; ++i)
        entrees.push_back(zeros(profond + QStringLiteral("fond %1.bin").arg(i), 1 << 20));
    entrees.push_back(fichier(profond + "fond.txt", "fond"));
    const Courant courant(d.chemin("courant"));
    const QByteArray attendu = QFile::encodeName(d.chemin("courant"));
    std::atomic<bool> fini{false};
    std::atomic<int> changements{0};
    std::thread temoin([&] {
        char ici[8192];
        while (!fini)
            if (!::getcwd(ici, sizeof ici) || attendu != ici)
                ++changements;
    });
    const Resultat r = extraire("profonde.zip", entrees);
    fini = true;
    temoin.join();
    EXPECT_EQ(changements, 0);
    ASSERT_EQ(r.crees, QStringList{d.chemin("zone/profonde")}) << r.erreurs.join(", ").toStdString();
    QString sortie;
    ASSERT_EQ(executer("python3", {"-c", R"(
import os, sys
fd = os.open(sys.argv[1], os.O_RDONLY)
for nom in sys.argv[2].split('/')[:-1]:
    fd = os.open(nom, os.O_RDONLY, dir_fd=fd)
print(len(os.listdir(fd)), os.read(os.open('fond.txt', os.O_RDONLY, dir_fd=fd), 100).decode(), end='')
)", r.crees[0], profond + "fond.txt"}, &sortie), 0) << sortie.toStdString();
    EXPECT_EQ(sortie, "16 fond");
}

// Another program moves a folder the unpacking made out of its work folder (to "parti/"),
// at a known entry, and may leave a link in its place: the writing never climbs out of the
// moved folder into where it went, and what it took away is never called created.
TEST_F(ArchivesHostiles, AFolderMovedAwayMidJobTakesNothingMoreAndFailsTheJob)
{
    d.creerDossier("parti");
    const std::vector<Entree> doublon{fichier("a/x", "1"), fichier("a/x", "2")};  // logs at its second
    const struct { const char* nom; std::vector<Entree> apres; bool lien; } cas[] = {
        {"voisin.zip", {fichier("b/pwn.txt", "pwn")}, false},     // reached by ".." from the moved folder
        {"dernier.zip", {}, false},                               // moved after its last entry
        {"lien.zip", {fichier("a/pwn.txt", "pwn"), fichier("c.txt", "c")}, true},
    };
    const QMap<QString, QByteArray> avantDehors = empreintes(d.chemin("dehors"));
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        std::vector<Entree> entrees = doublon;
        entrees.insert(entrees.end(), c.apres.begin(), c.apres.end());
        const QString zone = d.chemin("zone");
        const AuMessage deplacer(QStringLiteral("deux entrées du même nom"), [&] {
            for (const QString& travail : QDir(zone).entryList({".vemo-vododod-*"}, QDir::Dirs | QDir::Hidden)) {
                const QString a = zone + "/" + travail + "/a";
                const QByteArray vers = QFile::encodeName(d.chemin("parti/a"));
                ASSERT_EQ(::rename(QFile::encodeName(a).constData(), vers.constData()), 0);
                if (c.lien)
                    QFile::link(d.chemin("dehors"), a);
            }
        });
        const Resultat r = extraire(c.nom, entrees);
        EXPECT_EQ(r.crees, QStringList{});
        EXPECT_EQ(r.erreurs, QStringList{QString::fromUtf8("Impossible d’écrire « %1 »")
                                             .arg(QFileInfo(c.nom).completeBaseName())});
        EXPECT_EQ(tout(d.chemin("parti")), QStringList{"a"});
        EXPECT_EQ(empreintes(d.chemin("dehors")), avantDehors);
        EXPECT_EQ(tout(zone), QStringList{c.nom});
        ASSERT_TRUE(QDir(d.chemin("parti/a")).removeRecursively());
        QFile::remove(zone + "/" + c.nom);
    }
}

// A link entry whose target no system can make (none at all, or past the path limit) is a
// damaged archive, said as such: never a write failure that blames the disk.
TEST_F(ArchivesHostiles, ALinkToNothingOrPastThePathLimitIsADamagedArchive)
{
    const struct { const char* nom; QByteArray cible; } cas[] = {
        {"vide.zip", ""},
        {"longue.zip", QByteArray("a/").repeated(3000)},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        const QString zip = d.chemin(QStringLiteral("zone/") + c.nom);
        ASSERT_EQ(executer("python3", {"-c", R"(
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], 'w') as z:
    i = zipfile.ZipInfo('lien', (2023, 1, 1, 0, 0, 0))
    i.create_system, i.external_attr = 3, 0o120777 << 16
    z.writestr(i, sys.argv[2])
    z.writestr('apres.txt', 'apres')
)", zip, QString::fromLatin1(c.cible)}),
                  0);
        const Resultat r = convertir({zip}, "extraire", {});
        EXPECT_EQ(r.crees, QStringList{});
        EXPECT_EQ(r.erreurs,
                  QStringList{QString::fromUtf8("Impossible de lire « %1 »").arg(QString::fromUtf8(c.nom))});
        EXPECT_EQ(tout(d.chemin("zone")), QStringList{c.nom});
        QFile::remove(zip);
    }
}

} // namespace
