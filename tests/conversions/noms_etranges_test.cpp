// Names as old disks and archives hold them: bytes that are not UTF-8, two entries of one
// name, names that the suffix would take past the system's 255 bytes.

#include "conversions/essais_outils.h"

#include "commun/Echantillons.h"

#include <QDir>

#include <fcntl.h>
#include <unistd.h>

using namespace essais;

namespace {

// A file whose name is `nom`'s bytes as they are.
void creerParOctets(const QString& dossier, const QByteArray& nom, const QByteArray& contenu)
{
    const QByteArray chemin = QFile::encodeName(dossier) + '/' + nom;
    const int fd = ::open(chemin.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, contenu.constData(), static_cast<size_t>(contenu.size())), contenu.size());
    ::close(fd);
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
    creerParOctets(vieux, "\xe9t\xe9.txt", "été");
    creerParOctets(vieux, "\xe0t\xe0.txt", "à tà");

    const QString zip = convertirSeul(vieux, "zip");
    ASSERT_EQ(QFileInfo(zip).fileName(), "vieux.zip");
    // Another reader sees two entries, each under its readable name.
    EXPECT_EQ(trier(sortieDe("zipinfo", {"-1", zip}).trimmed().split('\n')),
              (QStringList{"vieux/", "vieux/àtà.txt", "vieux/été.txt"}));

    const QString sortie = convertirSeul(zip, "extraire");
    EXPECT_EQ(QFileInfo(sortie).fileName(), "vieux 2");
    EXPECT_EQ(lire(sortie + "/été.txt"), "été");
    EXPECT_EQ(lire(sortie + "/àtà.txt"), "à tà");
    // Qt's own removal of the test folder does not see such names.
    for (const char* nom : {"\xe9t\xe9.txt", "\xe0t\xe0.txt"})
        ::unlink((QFile::encodeName(vieux) + '/' + nom).constData());
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
