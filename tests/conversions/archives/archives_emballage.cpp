// Packing dropped items into a zip, read back by Python's zipfile (which follows the format's
// rule for names) and by unzip: names in every script, links, what is left out, a stop.
#include "conversions/media_outils.h"

#include "conversions/sorties/Annulation.h"
#include "conversions/archives/Archives.h"
#include "commun/Ecoute.h"
#include "commun/Exiger.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <atomic>
#include <thread>
#include <sys/mount.h>
#include <unistd.h>

using namespace Conversions;

namespace {

// Each entry as zipfile reads it: its name, whether it is flagged UTF-8, stored or
// deflated, a link, and its bytes (a link's are its target); testzip checks every CRC.
struct Lue {
    bool utf8;
    bool stockee;
    bool lien;
    QByteArray octets;
};

QMap<QString, Lue> lireZip(const QString& zip)
{
    const char* script = R"(
import base64, json, stat, sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    assert z.testzip() is None
    print(json.dumps({i.filename: [bool(i.flag_bits & 0x800), i.compress_type == zipfile.ZIP_STORED,
                                   stat.S_ISLNK(i.external_attr >> 16),
                                   base64.b64encode(z.read(i)).decode()] for i in z.infolist()}))
)";
    QString sortie;
    EXPECT_EQ(executer("python3", {"-c", script, zip}, &sortie), 0) << sortie.toStdString();
    QMap<QString, Lue> l;
    const QJsonObject o = QJsonDocument::fromJson(sortie.toUtf8()).object();
    for (auto i = o.begin(); i != o.end(); ++i) {
        const QJsonArray a = i.value().toArray();
        l.insert(i.key(), {a[0].toBool(), a[1].toBool(), a[2].toBool(), QByteArray::fromBase64(a[3].toString().toLatin1())});
    }
    return l;
}

QStringList noms(const QMap<QString, Lue>& l) { return l.keys(); }

} // namespace

TEST(ArchivesEmballage, lesNomsDeToutesLesEcrituresSontMarquesUtf8)
{
    Dossier d;
    const QString racine = QString::fromUtf8("Photos été");
    const QStringList fichiers{QString::fromUtf8("Photos été/表だよ/メモ.txt"), QString::fromUtf8("Photos été/😀 sourire.txt"),
                               QString::fromUtf8("Photos été/Ñandú — «°».txt"), "Photos été/plain.txt"};
    for (const QString& f : fichiers)
        d.ecrire(f, f.toUtf8());
    d.ecrire(QString::fromUtf8("Photos été/表だよ/.DS_Store"), "x");
    d.ecrire(QString::fromUtf8("Photos été/__MACOSX/._plain.txt"), "x");
    const QString zip = convertirSeul(d.chemin(racine), "zip");
    ASSERT_EQ(zip, d.chemin(QString::fromUtf8("Photos été.zip")));

    QString test;
    EXPECT_EQ(executer("unzip", {"-tq", zip}, &test), 0) << test.toStdString();
    const QMap<QString, Lue> lues = lireZip(zip);
    QStringList attendus = fichiers;
    attendus << racine + '/' << QString::fromUtf8("Photos été/表だよ/");
    attendus.sort();
    EXPECT_EQ(noms(lues), attendus);
    for (auto i = lues.begin(); i != lues.end(); ++i) {
        SCOPED_TRACE(i.key().toStdString());
        EXPECT_TRUE(i->utf8);  // every name here has a letter beyond ASCII
        if (!i.key().endsWith('/'))
            EXPECT_EQ(i->octets, i.key().toUtf8());
    }
    // Unpacked by unzip, the names come back as they were on disk.
    Dossier sortie;
    ASSERT_EQ(executer("unzip", {"-q", zip, "-d", sortie.racine()}), 0);
    for (const QString& f : fichiers)
        EXPECT_EQ(lire(sortie.chemin(f)), f.toUtf8()) << f.toStdString();
}

// Already compressed bytes are stored as they are, the rest deflated; both read back whole.
TEST(ArchivesEmballage, lesOctetsDejaCompressesSontStockesTelsQuels)
{
    Dossier d;
    QByteArray alea(3 << 20, '\0');
    QRandomGenerator(5).fillRange(reinterpret_cast<quint32*>(alea.data()), alea.size() / 4);
    const QByteArray texte = QByteArray("une ligne de texte, encore une ligne\n").repeated(100000);
    d.ecrire("envoi/photo.jpg", alea);
    d.ecrire("envoi/notes.txt", texte);
    d.ecrire("envoi/vide.txt", "");
    const QString zip = convertirSeul(d.chemin("envoi"), "zip");
    const QMap<QString, Lue> lues = lireZip(zip);
    ASSERT_EQ(noms(lues), (QStringList{"envoi/", "envoi/notes.txt", "envoi/photo.jpg", "envoi/vide.txt"}));
    EXPECT_TRUE(lues["envoi/photo.jpg"].stockee);
    EXPECT_FALSE(lues["envoi/notes.txt"].stockee);
    EXPECT_EQ(lues["envoi/photo.jpg"].octets, alea);
    EXPECT_EQ(lues["envoi/notes.txt"].octets, texte);
    EXPECT_TRUE(lues["envoi/vide.txt"].octets.isEmpty());
    EXPECT_LT(QFileInfo(zip).size(), alea.size() + texte.size() / 20);
}

// A link brings what it points at, under the link's name, whether the user dropped it or it
// lies inside a dropped folder: a receiver could not follow a stored link.
TEST(ArchivesEmballage, lesLiensSontSuivisDeposesOuDansUnDossier)
{
    Dossier d;
    d.ecrire("ailleurs/rapport.pdf", "%PDF rapport");
    d.ecrire("ailleurs/projet/plan.txt", "plan");
    d.ecrire("ailleurs/secret.txt", "clé privée");
    ASSERT_TRUE(QFile::link("../secret.txt", d.chemin("ailleurs/projet/vers-secret")));
    d.creerDossier("bureau");
    ASSERT_TRUE(QFile::link(d.chemin("ailleurs/rapport.pdf"), d.chemin("bureau/raccourci.pdf")));
    ASSERT_TRUE(QFile::link("../ailleurs/projet", d.chemin("bureau/Projet en cours")));

    const Resultat r = convertir({d.chemin("bureau/raccourci.pdf"), d.chemin("bureau/Projet en cours")}, "zip", {});
    ASSERT_EQ(r.crees, QStringList{d.chemin("bureau/raccourci et 1 autres.zip")}) << r.erreurs.join(", ").toStdString();
    const QMap<QString, Lue> lues = lireZip(r.crees[0]);
    EXPECT_EQ(noms(lues), (QStringList{"Projet en cours/", "Projet en cours/plan.txt", "Projet en cours/vers-secret",
                                       "raccourci.pdf"}));
    EXPECT_FALSE(lues["raccourci.pdf"].lien);
    EXPECT_EQ(lues["raccourci.pdf"].octets, "%PDF rapport");
    EXPECT_EQ(lues["Projet en cours/plan.txt"].octets, "plan");
    EXPECT_FALSE(lues["Projet en cours/vers-secret"].lien);
    EXPECT_EQ(lues["Projet en cours/vers-secret"].octets, "clé privée");

    // A dropped link that leads nowhere cannot be packed; nothing is left behind.
    ASSERT_TRUE(QFile::link(d.chemin("ailleurs/parti.txt"), d.chemin("bureau/casse.txt")));
    echoue(d, {d.chemin("bureau/casse.txt")}, "zip", {illisible("casse.txt")});
    QStringList bureau =
        QDir(d.chemin("bureau")).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    bureau.sort();
    EXPECT_EQ(bureau, (QStringList{"Projet en cours", "casse.txt", "raccourci et 1 autres.zip", "raccourci.pdf"}));
}

// Names like the application's temporaries are a user's files like any other: the folder
// comes back whole from the archive. Only a temporary the engine holds at that moment is
// no content of the folder.
TEST(ArchivesEmballage, lesNomsDeLaFamilleDesTemporairesSontEmballes)
{
    Dossier d;
    const QStringList fichiers{"budget.ods", "vemo-vododod-budget.ods", ".vemo-vododod-notes.txt",
                               "vemo-vododod-/plan.txt", ".vemo-vododod-x/.vemo-vododod-y", "sous/vemo-vododod-"};
    for (const QString& f : fichiers)
        d.ecrire("classeur/" + f, f.toUtf8());
    const QString tenu = d.ecrire("classeur/.vemo-vododod-en-cours.pdf", "%PDF à moitié");
    Emprise().tenir(tenu);
    const Resultat r = convertir({d.chemin("classeur")}, "zip", {});
    Emprise().lacher(tenu);
    ASSERT_EQ(r.crees, QStringList{d.chemin("classeur.zip")}) << r.erreurs.join(", ").toStdString();
    QString liste;
    ASSERT_EQ(executer("zipinfo", {"-1", r.crees[0]}, &liste), 0);
    for (const QString& f : fichiers)
        EXPECT_TRUE(liste.split('\n').contains("classeur/" + f)) << f.toStdString() << "\n" << liste.toStdString();
    EXPECT_FALSE(liste.contains("en-cours")) << liste.toStdString();
    ASSERT_EQ(executer("unzip", {"-q", r.crees[0], "-d", d.chemin("retour")}), 0);
    for (const QString& f : fichiers)
        EXPECT_EQ(essais::lire(d.chemin("retour/classeur/" + f)), f.toUtf8()) << f.toStdString();
}

// A link to the folder packed or to a folder above it is a loop: left out with a line in
// the log, quickly, and the rest is packed.
TEST(ArchivesEmballage, unLienVersUnDossierAuDessusEstUneBoucle)
{
    Dossier d;
    d.ecrire("haut/projet/plan.txt", "plan");
    const QMap<QString, QString> liens{{"racine", "/"}, {"maison", d.racine()}, {"haut", d.chemin("haut")},
                                       {"lui", "."}, {"parent", ".."}, {"detour", "../projet/."}};
    for (auto l = liens.begin(); l != liens.end(); ++l)
        ASSERT_TRUE(QFile::link(l.value(), d.chemin("haut/projet/" + l.key())));
    const Ecoute ecoute;
    const Resultat r = convertir({d.chemin("haut/projet")}, "zip", {});
    ASSERT_EQ(r.crees, QStringList{d.chemin("haut/projet.zip")}) << r.erreurs.join(", ").toStdString();
    QString liste;
    ASSERT_EQ(executer("zipinfo", {"-1", r.crees[0]}, &liste), 0);
    EXPECT_EQ(liste.trimmed().split('\n'), (QStringList{"projet/", "projet/plan.txt"}));
    const QStringList journal = ecoute.messages("vemo.archives");
    for (auto l = liens.begin(); l != liens.end(); ++l)
        EXPECT_TRUE(std::any_of(journal.begin(), journal.end(), [&](const QString& m) {
            return m.contains("laissé de côté") && m.endsWith("/projet/" + l.key());
        })) << l.key().toStdString() << "\n" << journal.join('\n').toStdString();
}

// A disk too small for the archive: the failure says so and no part of it stays.
TEST(ArchivesEmballage, unDisqueTropPetitNeGardeRienDeLArchive)
{
    Dossier d;
    if (::mount("tmpfs", QFile::encodeName(d.racine()).constData(), "tmpfs", 0, "size=1m") != 0)
        GTEST_SKIP() << "no right to mount a small file system here";
    QByteArray alea(640 << 10, '\0');
    QRandomGenerator(9).fillRange(reinterpret_cast<quint32*>(alea.data()), alea.size() / 4);
    d.ecrire("photo.jpg", alea);
    echoue(d, {d.chemin("photo.jpg")}, "zip", {sansPlace("photo.jpg")});
    ::umount2(QFile::encodeName(d.racine()).constData(), MNT_DETACH);
}

namespace {

// A stop while a large folder is being packed: the packing ends at once and leaves nothing.
void arreterUnEmballage()
{
    Dossier d;
    // 4 GB of zeros without the disk space: reading and deflating them takes seconds.
    const QString gros = d.ecrire("gros/zeros.bin", "");
    if (!QFile(gros).resize(4LL << 30))
        echouer("fichier creux");
    std::atomic<int> issue{0};  // 1: Annulee, 2: finished, 3: another failure
    std::thread travail([&] {
        try {
            zipper({d.chemin("gros")});
            issue = 2;
        } catch (const Annulee&) {
            issue = 1;
        } catch (...) {
            issue = 3;
        }
    });
    // The temporary archive appears once the packing has started.
    while (d.noms().size() < 2 && issue == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    QElapsedTimer chrono;
    chrono.start();
    annuler();
    travail.join();
    if (issue != 1)
        echouer("l’emballage n’a pas été annulé");
    if (chrono.elapsed() > 2000)
        echouer("l’emballage ne s’est pas arrêté à temps");
    if (d.noms() != QStringList{"gros"})
        echouer("une archive partielle est restée");
    std::_Exit(0);
}

} // namespace

TEST(ArchivesEmballage, ArretPendantLEmballage)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(arreterUnEmballage(), testing::ExitedWithCode(0), "");
}
