// Names as old disks and archives hold them: bytes that are not UTF-8, two entries of one
// name, names that the suffix would take past the system's 255 bytes.

#include "conversions/essais_outils.h"

#include "commun/Echantillons.h"
#include "conversions/Chemins.h"

#include <QDir>

#include <atomic>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace essais;

namespace {

// A file whose name is `nom`'s bytes as they are.
void creerParOctets(const QByteArray& dossier, const QByteArray& nom, const QByteArray& contenu)
{
    const QByteArray chemin = dossier + '/' + nom;
    const int fd = ::open(chemin.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, contenu.constData(), static_cast<size_t>(contenu.size())), contenu.size());
    ::close(fd);
}

// Qt's own removal of the test folder does not see names that are not UTF-8.
void effacer(const Dossier& d)
{
    executer("rm", {"-rf", d.racine()});
}

// The names in a folder, read as bytes.
QList<QByteArray> nomsEnOctets(const QByteArray& dossier)
{
    QList<QByteArray> noms;
    if (DIR* d = ::opendir(dossier.constData())) {
        while (const dirent* e = ::readdir(d))
            if (qstrcmp(e->d_name, ".") != 0 && qstrcmp(e->d_name, "..") != 0)
                noms << QByteArray(e->d_name);
        ::closedir(d);
    }
    std::sort(noms.begin(), noms.end());
    return noms;
}

QStringList trier(QStringList l)
{
    l.sort();
    return l;
}

TEST(NomsEtranges, DeuxNomsLatin1ZippesPuisDezippesRestentDeux)
{
    Dossier d;
    const QString vieux = d.creerDossier("vieux");
    creerParOctets(QFile::encodeName(vieux), "\xe9t\xe9.txt", "été");
    creerParOctets(QFile::encodeName(vieux), "\xe0t\xe0.txt", "à tà");

    const QString zip = convertirSeul(vieux, "zip");
    ASSERT_EQ(QFileInfo(zip).fileName(), "vieux.zip");
    // Another reader sees two entries, each under its readable name.
    EXPECT_EQ(trier(sortieDe("zipinfo", {"-1", zip}).trimmed().split('\n')),
              (QStringList{"vieux/", "vieux/àtà.txt", "vieux/été.txt"}));

    const QString sortie = convertirSeul(zip, "extraire");
    EXPECT_EQ(QFileInfo(sortie).fileName(), "vieux 2");
    EXPECT_EQ(lire(sortie + "/été.txt"), "été");
    EXPECT_EQ(lire(sortie + "/àtà.txt"), "à tà");
    effacer(d);
}

TEST(NomsEtranges, UnNomLatin1SeConvertitSousSesOctets)
{
    Dossier d;
    // "cafe" with a Latin-1 é, in a folder whose name is Latin-1 too.
    const QByteArray dossier = QFile::encodeName(d.racine()) + "/vieux\xe0";
    ASSERT_EQ(::mkdir(dossier.constData(), 0755), 0);
    ASSERT_EQ(::rename(QFile::encodeName(Echantillons::image(d.chemin("a.png"))).constData(),
                       (dossier + "/caf\xe9.png").constData()), 0);
    creerParOctets(dossier, "\xe9" "chec.png", "pas une image");
    const QString source = Conversions::cheminDepuisOctets(dossier + "/caf\xe9.png");

    EXPECT_EQ(convertirSeul(source, "jpg"), Conversions::cheminDepuisOctets(dossier + "/caf\xe9.jpg"));
    ASSERT_EQ(::link((dossier + "/caf\xe9.jpg").constData(), QFile::encodeName(d.chemin("lu.jpg")).constData()), 0);
    EXPECT_EQ(tailleImage(d.chemin("lu.jpg")), QSize(64, 48));
    EXPECT_EQ(convertirSeul(source, "leger"), Conversions::cheminDepuisOctets(dossier + "/caf\xe9 (légère).jpg"));
    EXPECT_EQ(convertirSeul(source, "jpg"), Conversions::cheminDepuisOctets(dossier + "/caf\xe9 2.jpg"));
    const QString zip = convertirSeul({source, Conversions::cheminDepuisOctets(dossier + "/\xe9" "chec.png")}, "zip");
    EXPECT_EQ(zip, Conversions::cheminDepuisOctets(dossier + "/caf\xe9 et 1 autres.zip"));
    // Helper programs read it too (pdftoppm draws the pages).
    ASSERT_EQ(::rename(QFile::encodeName(Echantillons::pdf(d.chemin("b.pdf"), 2)).constData(),
                       (dossier + "/r\xe9sum\xe9.pdf").constData()), 0);
    const Conversions::Resultat pages =
        Conversions::convertir({Conversions::cheminDepuisOctets(dossier + "/r\xe9sum\xe9.pdf")}, "jpg", {});
    EXPECT_EQ(pages.crees, (QStringList{Conversions::cheminDepuisOctets(dossier + "/r\xe9sum\xe9 page 1.jpg"),
                                        Conversions::cheminDepuisOctets(dossier + "/r\xe9sum\xe9 page 2.jpg")}));
    for (const QString& page : pages.crees)
        ::unlink(Conversions::local(page).constData());
    ::unlink((dossier + "/r\xe9sum\xe9.pdf").constData());
    // The failure names the file as it reads.
    const Conversions::Resultat r = Conversions::convertir({Conversions::cheminDepuisOctets(dossier + "/\xe9" "chec.png")}, "png", {});
    EXPECT_EQ(r.erreurs, QStringList{illisible("échec.png")});

    EXPECT_EQ(nomsEnOctets(dossier), (QList<QByteArray>{"caf\xe9 (l\xc3\xa9g\xc3\xa8re).jpg", "caf\xe9 2.jpg",
                                                        "caf\xe9 et 1 autres.zip", "caf\xe9.jpg", "caf\xe9.png",
                                                        "\xe9" "chec.png"}));
    // Another reader finds both pictures in the archive, under readable names.
    ASSERT_EQ(::rename(Conversions::local(zip).constData(), QFile::encodeName(d.chemin("deux.zip")).constData()), 0);
    EXPECT_EQ(trier(sortieDe("zipinfo", {"-1", d.chemin("deux.zip")}).trimmed().split('\n')),
              (QStringList{"café.png", "échec.png"}));
    effacer(d);
}

// A character beyond U+FFFF (💩 is the pair D83D DCA9) is no stray byte, even when its
// second half looks like one; beside a Latin-1 byte each keeps its own reading.
TEST(NomsEtranges, UnEmojiEstUnCaractereMemePresDUnOctetLatin1)
{
    Dossier d;
    const QByteArray racine = QFile::encodeName(d.racine());
    const QByteArray emoji = "\xf0\x9f\x92\xa9";
    // A name of UTF-8 alone, then the same with a Latin-1 byte before the emoji.
    const QString photo = Echantillons::image(d.chemin(QString::fromUtf8("photo💩.png")));
    EXPECT_EQ(convertirSeul(photo, "jpg"), d.chemin(QString::fromUtf8("photo💩.jpg")));
    ASSERT_EQ(::rename(QFile::encodeName(Echantillons::image(d.chemin("b.png"))).constData(),
                       (racine + "/caf\xe9" + emoji + ".png").constData()), 0);
    const QString cafe = Conversions::cheminDepuisOctets(racine + "/caf\xe9" + emoji + ".png");
    EXPECT_EQ(convertirSeul(cafe, "jpg"), Conversions::cheminDepuisOctets(racine + "/caf\xe9" + emoji + ".jpg"));
    ASSERT_EQ(::link((racine + "/caf\xe9" + emoji + ".jpg").constData(), QFile::encodeName(d.chemin("lu.jpg")).constData()), 0);
    EXPECT_EQ(tailleImage(d.chemin("lu.jpg")), QSize(64, 48));
    // A failure names both as they read.
    creerParOctets(racine, "\xe9" "chec" + emoji + ".png", "pas une image");
    EXPECT_EQ(Conversions::convertir({Conversions::cheminDepuisOctets(racine + "/\xe9" "chec" + emoji + ".png")}, "png", {}).erreurs,
              QStringList{illisible(QString::fromUtf8("échec💩.png"))});

    // Zipped, within a folder and at the top, then unzipped: every name whole.
    const QString boite = d.creerDossier(QString::fromUtf8("boîte💩"));
    creerParOctets(QFile::encodeName(boite), "x" + emoji + ".txt", "x");
    creerParOctets(QFile::encodeName(boite), "\xe9t\xe9" + emoji + ".txt", "été");
    const QString zip = convertirSeul({boite, cafe}, "zip");
    EXPECT_EQ(zip, d.chemin(QString::fromUtf8("boîte💩 et 1 autres.zip")));
    EXPECT_EQ(trier(sortieDe("zipinfo", {"-1", zip}).trimmed().split('\n')),
              trier({QString::fromUtf8("boîte💩/"), QString::fromUtf8("boîte💩/x💩.txt"),
                     QString::fromUtf8("boîte💩/été💩.txt"), QString::fromUtf8("café💩.png")}));
    const QString sortie = convertirSeul(zip, "extraire");
    EXPECT_EQ(sortie, d.chemin(QString::fromUtf8("boîte💩 et 1 autres")));
    EXPECT_EQ(lire(sortie + QString::fromUtf8("/boîte💩/x💩.txt")), "x");
    EXPECT_EQ(lire(sortie + QString::fromUtf8("/boîte💩/été💩.txt")), "été");
    EXPECT_EQ(tailleImage(sortie + QString::fromUtf8("/café💩.png")), QSize(64, 48));
    effacer(d);
}

// The descriptor through which this process reaches an alias folder, or -1.
int descripteurDUnAlias()
{
    const QString fds = QStringLiteral("/proc/self/fd");
    for (const QString& n : QDir(fds).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
        if (QFileInfo(fds + '/' + n).symLinkTarget().contains(QStringLiteral("/.vemo-vododod-noms-")))
            return n.toInt();
    return -1;
}

// A merge whose first source is not UTF-8 is made inside that source's alias folder, reached
// through a descriptor. When the source changes during the merge, the merged file goes, and
// only it: the moment the alias lets its descriptor go, another thread may open a folder of
// the user's under that very number (played here by the spy), holding a file of that name.
TEST(NomsEtranges, UneFusionRateeNeTouchePasAuDossierQuiReprendLeDescripteur)
{
    Dossier d;
    const QByteArray racine = QFile::encodeName(d.racine());
    ASSERT_EQ(::rename(QFile::encodeName(Echantillons::image(d.chemin("a.png"))).constData(),
                       (racine + "/caf\xe9.png").constData()), 0);
    const QStringList sources{Conversions::cheminDepuisOctets(racine + "/caf\xe9.png"),
                              Echantillons::image(d.chemin("d.png"))};
    const QString ailleurs = d.creerDossier("ailleurs");
    const int victime = ::open(QFile::encodeName(ailleurs).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(victime, 0);

    for (int essai = 0; essai < 3; ++essai) {
        d.ecrire(QString::fromUtf8("ailleurs/café et 1 autres.pdf"), "à l’utilisateur");
        std::atomic<int> guette{-1};
        std::atomic<bool> fini{false};
        int repris = -1;
        std::thread espion([&] {
            for (bool fin = false; !fin;) {
                fin = fini;
                const int n = guette;
                if (n >= 0 && ::fcntl(n, F_GETFD) == -1 && errno == EBADF && ::dup2(victime, n) == n) {
                    repris = n;
                    return;
                }
            }
        });
        const Conversions::Resultat r = Conversions::convertir(sources, "pdf", [&](double p) {
            if (p > 0 && guette < 0) {
                guette = descripteurDUnAlias();
                const timespec temps[2] = {{0, UTIME_OMIT}, {1000000000 + essai, 0}};
                EXPECT_EQ(::utimensat(AT_FDCWD, Conversions::local(sources.first()).constData(), temps, 0), 0) << errno;
            }
        });
        fini = true;
        espion.join();
        if (repris >= 0)
            ::close(repris);
        EXPECT_GE(guette, 0) << "no alias folder seen";
        EXPECT_GE(repris, 0) << "its descriptor never taken";
        EXPECT_TRUE(r.crees.isEmpty());
        EXPECT_EQ(r.erreurs, QStringList{QString::fromUtf8("« café.png » a changé pendant sa conversion : rien n’a été créé")});
        EXPECT_EQ(lire(ailleurs + QString::fromUtf8("/café et 1 autres.pdf")), "à l’utilisateur");
        EXPECT_EQ(nomsEnOctets(racine), (QList<QByteArray>{"ailleurs", "caf\xe9.png", "d.png"}));
    }
    ::close(victime);
    effacer(d);
}

// A Latin-1 name reads as up to twice its bytes in UTF-8: past about 127 bytes, that reading
// is too long for a name. Such sources convert all the same, under their own bytes, and their
// failures name them whole.
TEST(NomsEtranges, UnLongNomLatin1SeConvertitSousSesOctets)
{
    Dossier d;
    const QByteArray racine = QFile::encodeName(d.racine());
    const auto octets = [&](const QByteArray& nom) { return Conversions::cheminDepuisOctets(racine + '/' + nom); };
    const QByteArray base(146, '\xe9');  // with ".png", 150 bytes
    const QByteArray legere = " (l\xc3\xa9g\xc3\xa8re).jpg";
    ASSERT_EQ(::rename(QFile::encodeName(Echantillons::image(d.chemin("a.png"))).constData(),
                       (racine + '/' + base + ".png").constData()), 0);
    EXPECT_EQ(convertirSeul(octets(base + ".png"), "jpg"), octets(base + ".jpg"));
    EXPECT_EQ(convertirSeul(octets(base + ".png"), "leger"), octets(base + legere));
    EXPECT_EQ(convertirSeul({octets(base + ".png"), Echantillons::image(d.chemin("b.png"))}, "zip"),
              octets(base + " et 1 autres.zip"));
    creerParOctets(racine, QByteArray(146, '\xe0') + ".png", "pas une image");
    EXPECT_EQ(Conversions::convertir({octets(QByteArray(146, '\xe0') + ".png")}, "jpg", {}).erreurs,
              QStringList{illisible(QString(146, QChar(0xE0)) + ".png")});

    // Near the limit, the suffix takes the place of the base's end, as for any name.
    const QByteArray longue(250, '\xe8');
    ASSERT_EQ(::rename((racine + "/b.png").constData(), (racine + '/' + longue + ".png").constData()), 0);
    const QByteArray nomLeger = QByteArray(255 - legere.size(), '\xe8') + legere;
    EXPECT_EQ(convertirSeul(octets(longue + ".png"), "leger"), octets(nomLeger));

    QList<QByteArray> attendus{base + legere, base + " et 1 autres.zip", base + ".jpg", base + ".png",
                               nomLeger, longue + ".png", QByteArray(146, '\xe0') + ".png"};
    std::sort(attendus.begin(), attendus.end());
    EXPECT_EQ(nomsEnOctets(racine), attendus);
    effacer(d);
}

// Long Latin-1 names through the zip road: the archive holds each whole, read as UTF-8 (past
// the system's 255 bytes), never its alias's cut name; two that share their start are two.
// Unpacked, such a name is cut to fit, its extension kept.
TEST(NomsEtranges, DeLongsNomsLatin1SontZippesEntiersPuisDezippesRaccourcis)
{
    Dossier d;
    const QByteArray racine = QFile::encodeName(d.racine());
    const QByteArray debut = QByteArray("caf\xe9").repeated(40);  // 160 bytes, 200 in UTF-8
    const QByteArray un = debut + "-one-" + QByteArray(30, '\xe9') + ".xyz";
    const QByteArray deux = debut + "-two-" + QByteArray(30, '\xe9') + ".xyz";
    ASSERT_EQ(un.size(), 199);
    creerParOctets(racine, un, "un");
    creerParOctets(racine, deux, "deux");
    const auto lu = [](const QByteArray& nom) { return Conversions::lisible(Conversions::cheminDepuisOctets(nom)); };
    ASSERT_GT(lu(un).toUtf8().size(), 255);

    const QString zip = convertirSeul({Conversions::cheminDepuisOctets(racine + '/' + un),
                                       Conversions::cheminDepuisOctets(racine + '/' + deux)},
                                      "zip");
    EXPECT_EQ(zip, Conversions::cheminDepuisOctets(racine + '/' + un.chopped(4) + " et 1 autres.zip"));
    ASSERT_EQ(::rename(Conversions::local(zip).constData(), QFile::encodeName(d.chemin("longs.zip")).constData()), 0);
    EXPECT_EQ(trier(sortieDe("zipinfo", {"-1", d.chemin("longs.zip")}).trimmed().split('\n')),
              trier({lu(un), lu(deux)}));

    const QString sortie = convertirSeul(d.chemin("longs.zip"), "extraire");
    ASSERT_EQ(sortie, d.chemin("longs"));
    const auto court = [&](const QByteArray& nom) {
        return Conversions::debutEnOctets(lu(nom).chopped(4), 251) + ".xyz";
    };
    EXPECT_EQ(trier(QDir(sortie).entryList(QDir::Files)), trier({court(un), court(deux)}));
    EXPECT_EQ(lire(sortie + '/' + court(un)), "un");
    EXPECT_EQ(lire(sortie + '/' + court(deux)), "deux");
    effacer(d);
}

TEST(NomsEtranges, UneSecondeEntreeDuMemeNomPrendLeNomSuivant)
{
    Dossier d;
    const QString zip = d.chemin("double.zip");
    // Python's writer lets two entries share a name, as some old tools did.
    sortieDe("python3", {"-W", "ignore", "-c",
                         "import sys, zipfile\n"
                         "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
                         "    z.writestr('a.txt', 'premier')\n"
                         "    z.writestr('a.txt', 'second')\n"
                         "    z.writestr('b', 'b')\n"
                         "    z.writestr('b', 'b bis')\n",
                         zip});
    const QString sortie = convertirSeul(zip, "extraire");
    EXPECT_EQ(QDir(sortie).entryList(QDir::Files, QDir::Name), (QStringList{"a 2.txt", "a.txt", "b", "b 2"}));
    EXPECT_EQ(lire(sortie + "/a.txt"), "premier");
    EXPECT_EQ(lire(sortie + "/a 2.txt"), "second");
    EXPECT_EQ(lire(sortie + "/b 2"), "b bis");
}

TEST(NomsEtranges, UnNomTropLongPourLeSuffixeEstRaccourci)
{
    Dossier d;
    const QString base = "a" + QString(124, QChar(0x00E9)) + "b";  // 250 bytes, with ".png" 254
    const QString source = Echantillons::image(d.chemin(base + ".png"));
    const QString legere = convertirSeul(source, "leger");
    const QString nom = QFileInfo(legere).fileName();
    EXPECT_TRUE(nom.endsWith(QString::fromUtf8(" (légère).jpg"))) << nom.toStdString();
    EXPECT_EQ(QFile::encodeName(nom).size(), 254);  // a "é" is never cut in half
    EXPECT_TRUE(base.startsWith(nom.chopped(QString::fromUtf8(" (légère).jpg").size())));
    // The counter fits too.
    const QString seconde = convertirSeul(source, "leger");
    EXPECT_TRUE(QFileInfo(seconde).fileName().endsWith(QString::fromUtf8(" (légère) 2.jpg")));
    EXPECT_LE(QFile::encodeName(QFileInfo(seconde).fileName()).size(), 255);
}

} // namespace
