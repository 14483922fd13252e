// Packing dropped items into one zip, read back by zipinfo and unzip; unpacking a zip beside
// itself: naming, left-out entries, damaged and hostile archives.
#include "archives_fabrique.h"
#include "conversions/media_outils.h"

#include "conversions/archives/Archives.h"
#include "conversions/sorties/Annulation.h"
#include "commun/Ecoute.h"

#include <clocale>

using namespace Conversions;
using namespace Fabrique;

namespace {

// The entries of an archive that unzip finds whole, sorted.
QStringList entrees(const QString& zip)
{
    sortieDe("unzip", {"-tq", zip});
    QStringList l = sortieDe("zipinfo", {"-1", zip}).split('\n', Qt::SkipEmptyParts);
    l.sort();
    return l;
}

class ArchivesExtraction : public ::testing::Test {
protected:
    QString zip(const QString& nom, const std::vector<Entree>& entrees)
    {
        Fabrique::ecrireZip(d.chemin(nom), entrees);
        return d.chemin(nom);
    }
    QStringList extraire(const QString& archive)
    {
        const Resultat r = convertir({archive}, "extraire", {});
        erreurs = r.erreurs;
        return r.crees;
    }
    Dossier d;
    QStringList erreurs;
};

} // namespace

// One folder keeps its name, one file too, several entries go into a folder named after the
// archive; the leftovers of another system are not unpacked; a name taken gets a counter; names
// are UTF-8 whatever the locale.
TEST_F(ArchivesExtraction, TheOutputIsNamedAfterWhatTheArchiveHolds)
{
    const struct {
        const char* archive; std::vector<Entree> entrees; const char* premier; const char* second;
        QStringList dansLeSecond; const char* fichier; QByteArray contenu;
    } cas[] = {
        {"envoi.zip", {dossier("Projet/"), fichier("Projet/plan.txt", "plan"), fichier("Projet/sous/notes.md", "notes"),
                       fichier("__MACOSX/Projet/._plan.txt", "x"), fichier(".DS_Store", "x")},
         "Projet", "Projet 2", {"plan.txt", "sous"}, "Projet 2/sous/notes.md", "notes"},
        {"paquet.zip", {fichier("notes.txt", "bonjour")}, "notes.txt", "notes 2.txt", {}, "notes 2.txt", "bonjour"},
        {"archive.zip", {fichier("un.txt", "1"), dossier("deux/"), fichier("deux/trois.txt", "3")},
         "archive", "archive 2", {"deux", "un.txt"}, "archive 2/deux/trois.txt", "3"},
        {"vide.zip", {dossier("__MACOSX/"), fichier("__MACOSX/._x", "x"), fichier(".DS_Store", "x")},
         "vide", "vide 2", {}, "vide 2/absent", "<absent>"},
        {"accents.zip", {fichier(QString::fromUtf8("Été à Noël.txt"), "neige")}, "Été à Noël.txt",
         "Été à Noël 2.txt", {}, "Été à Noël 2.txt", "neige"},
    };
    const std::string locale = std::setlocale(LC_CTYPE, nullptr);
    std::setlocale(LC_CTYPE, "C");
    for (const auto& c : cas) {
        SCOPED_TRACE(c.archive);
        const QString a = zip(c.archive, c.entrees);
        EXPECT_EQ(extraire(a), QStringList{d.chemin(c.premier)}) << erreurs.join(", ").toStdString();
        EXPECT_EQ(extraire(a), QStringList{d.chemin(c.second)});
        EXPECT_EQ(tout(d.chemin(c.second)), c.dansLeSecond);
        EXPECT_EQ(lire(d.chemin(c.fichier)), c.contenu);
    }
    std::setlocale(LC_CTYPE, locale.c_str());
    EXPECT_EQ(tout(d.racine()).size(), 15);  // five archives, two outputs each, nothing else
}

TEST_F(ArchivesExtraction, DamagedOrEncryptedArchivesFailAndLeaveNoWorkFolder)
{
    Dossier atelier;
    Fabrique::ecrireZip(atelier.chemin("a.zip"), {fichier("bruit.bin", bruit(5000))});
    QByteArray octets = lire(atelier.chemin("a.zip"));
    d.ecrire("tronquee.zip", octets.left(octets.size() / 2));
    octets[200] = static_cast<char>(octets[200] ^ 0x5a);  // inside the data, headers intact
    d.ecrire("abimee.zip", octets);
    d.ecrire("texte.zip", "ceci n’est pas une archive");
    ASSERT_EQ(executer("zip", {"-q", "-j", "-P", "motdepasse", d.chemin("cle.zip"), atelier.ecrire("secret.txt", "x")}),
              0);
    const QStringList chemins{d.chemin("abimee.zip"), d.chemin("tronquee.zip"), d.chemin("texte.zip"), d.chemin("cle.zip")};
    const QStringList erreurs{illisible("abimee.zip"), illisible("tronquee.zip"), illisible("texte.zip"),
                              QString::fromUtf8("« cle.zip » est protégé par un mot de passe")};
    const Ecoute journal;
    echoue(d, chemins, "extraire", erreurs);
    EXPECT_TRUE(journal.messages("vemo.archives").contains(QString::fromUtf8("entrée chiffrée : secret.txt")))
        << journal.messages("vemo.archives").join('\n').toStdString();
}

// Nothing of a hostile archive may land outside the folder it is unpacked in.
TEST_F(ArchivesExtraction, EntriesEscapingTheFolderAreRefused)
{
    Dossier dehors;
    const QString cible = d.creerDossier("cible");
    const std::vector<std::vector<Entree>> hostiles{
        {fichier("ok.txt", "1"), fichier("../remonte.txt", "x")},
        {fichier("ok.txt", "1"), fichier(dehors.chemin("absolu.txt"), "x")},
        {lien("lien", dehors.racine()), fichier("lien/par-le-lien.txt", "x")},
        // A link given a free name, and a name whose "." part only the cleaned name drops.
        {fichier("x", "1"), lien("x", dehors.racine()), fichier("x 2/par-le-lien.txt", "x")},
        {lien("lien", dehors.racine()), fichier("./lien/par-le-lien.txt", "x")},
    };
    const QStringList coupables{"../remonte.txt", dehors.chemin("absolu.txt"), "lien/par-le-lien.txt",
                                "x 2/par-le-lien.txt", "lien/par-le-lien.txt"};
    int i = 0;
    for (const auto& entrees : hostiles) {
        const QString a = zip(QStringLiteral("cible/hostile%1.zip").arg(++i), entrees);
        const Ecoute journal;
        EXPECT_EQ(extraire(a), QStringList{});
        EXPECT_EQ(erreurs, QStringList{QString::fromUtf8("« hostile%1.zip » contient des chemins qui sortent de son dossier")
                                           .arg(i)});
        // The log names the entry at fault.
        EXPECT_TRUE(journal.messages("vemo.archives").contains(QString::fromUtf8("entrée qui sort du dossier : ")
                                                               + coupables[i - 1]))
            << journal.messages("vemo.archives").join('\n').toStdString();
    }
    EXPECT_EQ(tout(d.racine()), QStringList{"cible"});  // nothing beside the target folder
    EXPECT_TRUE(tout(dehors.racine()).isEmpty());
    EXPECT_EQ(tout(cible),
              (QStringList{"hostile1.zip", "hostile2.zip", "hostile3.zip", "hostile4.zip", "hostile5.zip"}));
}

TEST_F(ArchivesExtraction, AnArchiveUnpackingPastTheBoundStopsAndLeavesNothing)
{
    const QString bombe = zip("bombe.zip", {fichier("petit.txt", "1"), zeros("zeros.bin", 48 << 20)});
    EXPECT_LT(QFileInfo(bombe).size(), 1 << 20);
    try {
        Conversions::extraire(bombe, 8 << 20);
        FAIL() << "unpacked past the bound";
    } catch (const Erreur& e) {
        EXPECT_EQ(e.message(), QString::fromUtf8("Pas assez d’espace disque pour extraire « bombe.zip »"));
    }
    EXPECT_EQ(tout(d.racine()), QStringList{"bombe.zip"});
    // Within the bound it unpacks whole.
    EXPECT_EQ(Conversions::extraire(bombe, 64 << 20), d.chemin("bombe"));
    EXPECT_EQ(QFileInfo(d.chemin("bombe/zeros.bin")).size(), 48 << 20);
}

// A damaged entry 2 500 folders down (a path far past the system's limit): the work folder
// goes all the same.
TEST_F(ArchivesExtraction, ADeepDamagedArchiveLeavesNoWorkFolder)
{
    const QString nom = QStringLiteral("a/").repeated(2500) + QStringLiteral("fond.bin");
    const QString profonde = zip("profonde.zip", {fichier("haut.txt", "1"), fichier(nom, bruit(5000))});
    QByteArray octets = lire(profonde);
    const qsizetype donnees = octets.indexOf(nom.toUtf8()) + nom.size();
    octets[donnees + 200] = static_cast<char>(octets[donnees + 200] ^ 0x5a);  // headers intact
    d.ecrire("profonde.zip", octets);
    echoue(d, {profonde}, "extraire", {illisible("profonde.zip")});
    EXPECT_EQ(tout(d.racine()), QStringList{"profonde.zip"});
}

TEST(ArchivesZip, NamesFollowTheFirstItemAndTheCount)
{
    Dossier d;
    d.ecrire("Photos 2024/plage.jpg", "sable");
    d.ecrire("Photos 2024/.DS_Store", "x");
    d.ecrire("Photos 2024/__MACOSX/._plage.jpg", "x");
    d.ecrire("Photos 2024/soir/lune.jpg", "nuit");
    const QString dossier = convertirSeul(d.chemin("Photos 2024"), "zip");
    ASSERT_EQ(dossier, d.chemin("Photos 2024.zip"));
    EXPECT_EQ(entrees(dossier), (QStringList{"Photos 2024/", "Photos 2024/plage.jpg", "Photos 2024/soir/",
                                             "Photos 2024/soir/lune.jpg"}));
    EXPECT_EQ(partie(dossier, "Photos 2024/soir/lune.jpg"), "nuit");

    const QString rapport = d.ecrire("rapport.final.pdf", "%PDF");
    EXPECT_EQ(convertirSeul(rapport, "zip"), d.chemin("rapport.final.zip"));
    EXPECT_EQ(convertirSeul(rapport, "zip"), d.chemin("rapport.final 2.zip"));

    // Odd names stay file names, never options or patterns.
    QStringList noms{"-rf.txt", "a[1].txt", QString::fromUtf8("Été * café.txt"), ".cache"};
    QStringList chemins;
    for (const QString& n : noms)
        chemins << d.ecrire("source/" + n, n.toUtf8());
    const QString bizarres = convertirSeul(chemins, "zip");
    ASSERT_EQ(bizarres, d.chemin("source/-rf et 3 autres.zip"));
    noms.sort();
    EXPECT_EQ(entrees(bizarres), noms);
    EXPECT_EQ(partie(bizarres, "a[[]1].txt"), "a[1].txt");
}

// A folder zipped while a job of ours writes into it: its hidden temporaries and work
// folders are ours, not the folder's content; the user's own hidden files are.
TEST(ArchivesZip, OurTemporariesNeverGoIntoAnArchive)
{
    Dossier d;
    d.ecrire("dossier/photo.jpg", "photo");
    d.ecrire("dossier/.cache", "à l’utilisateur");
    d.ecrire("dossier/.vemo-vododod-photo-0123456789ab.png", "à moitié écrit");
    d.ecrire("dossier/.vemo-vododod-pages-42/page-1.ppm", "page");
    d.ecrire("dossier/sous/vemo-vododod-zip-42/lien", "travail");
    d.ecrire("dossier/sous/note.txt", "note");
    // Held by jobs running meanwhile: theirs, not the folder's.
    const QStringList tenus{d.chemin("dossier/.vemo-vododod-photo-0123456789ab.png"),
                            d.chemin("dossier/.vemo-vododod-pages-42"), d.chemin("dossier/sous/vemo-vododod-zip-42")};
    for (const QString& t : tenus)
        Emprise().tenir(t);
    const QString zip = convertirSeul(d.chemin("dossier"), "zip");
    for (const QString& t : tenus)
        Emprise().lacher(t);
    ASSERT_EQ(zip, d.chemin("dossier.zip"));
    EXPECT_EQ(entrees(zip), (QStringList{"dossier/", "dossier/.cache", "dossier/photo.jpg", "dossier/sous/",
                                         "dossier/sous/note.txt"}));
}

TEST(ArchivesZip, TwoItemsOfTheSameNameOrNoneFailAndLeaveNothing)
{
    Dossier d;
    Dossier temp;
    const QByteArray avant = qgetenv("TMPDIR");
    qputenv("TMPDIR", temp.racine().toUtf8());
    const QStringList sources{d.ecrire("x/notes.txt", "1"), d.ecrire("y/notes.txt", "2")};
    const Resultat r = convertir(sources, "zip", {});
    const QStringList restes = temp.noms();
    qputenv("TMPDIR", avant);

    EXPECT_TRUE(r.crees.isEmpty());
    ASSERT_EQ(r.erreurs.size(), 1);
    EXPECT_TRUE(r.erreurs[0].contains(QString::fromUtf8("« notes.txt »"))) << r.erreurs[0].toStdString();
    EXPECT_EQ(d.noms(), (QStringList{"x", "y"}));
    EXPECT_EQ(QDir(d.chemin("x")).entryList(QDir::Files | QDir::Hidden), QStringList{"notes.txt"});
    EXPECT_TRUE(restes.isEmpty()) << restes.join(", ").toStdString();

    echoue(d, {}, "zip", {illisible("")});
}
