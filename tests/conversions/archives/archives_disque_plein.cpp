// Unpacking onto a small disk of its own, filled before or while the job runs: it is refused
// as a shortage of space and leaves nothing, or it is whole; never files of zeros called
// created.
#include "archives_fabrique.h"
#include "conversions/media_outils.h"
#include "conversions/petit_disque.h"

#include "conversions/archives/Archives.h"

#include <atomic>
#include <thread>

using namespace Conversions;
using namespace Fabrique;

namespace {

class ArchivesDisquePlein : public PetitDisque {
protected:
    void SetUp() override
    {
        if (!monter("8m"))
            GTEST_SKIP() << "no right to mount a small file system here";
    }
    // `n` files of about `taille` bytes of noise, zipped on the machine's disk, copied onto
    // the small one.
    QString archive(const QString& nom, int n, int taille)
    {
        QString sortie;
        EXPECT_EQ(executer("python3", {"-c", R"(
import random, sys, zipfile
r = random.Random(7)
with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as z:
    for i in range(int(sys.argv[2])):
        z.writestr('f/%d.bin' % i, r.randbytes(int(sys.argv[3]) + i))
)", ailleurs.chemin(nom), QString::number(n), QString::number(taille)}, &sortie), 0) << sortie.toStdString();
        EXPECT_TRUE(QFile::copy(ailleurs.chemin(nom), d.chemin(nom)));
        return d.chemin(nom);
    }
    static QString plein(const QString& nom)
    {
        return QString::fromUtf8("Pas assez d’espace disque pour extraire « %1 »").arg(nom);
    }
    Dossier ailleurs;
};

// Small files take a block each, whatever their bytes: the room they need is known before
// any is written, and the disk left full is refused at once, or when a write finds no room.
TEST_F(ArchivesDisquePlein, AFullDiskIsSaidAndNothingIsLeft)
{
    const struct { const char* nom; int fichiers; int taille; qint64 libre; qint64 limite; } cas[] = {
        {"petits.zip", 600, 10, 300 << 10, -1},         // 6 kB of bytes, 2.4 MB of blocks
        {"moyens.zip", 40, 20 << 10, 200 << 10, -1},    // the bound passed within the writes
        {"sans-borne.zip", 40, 20 << 10, 200 << 10, 1LL << 40},  // every write checked
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        const QString zip = archive(c.nom, c.fichiers, c.taille);
        remplir(c.libre);
        const QStringList avant = d.noms();
        if (c.limite < 0) {
            const Resultat r = convertir({zip}, "extraire", {});
            EXPECT_EQ(r.crees, QStringList{});
            EXPECT_EQ(r.erreurs, QStringList{plein(c.nom)});
        } else {
            try {
                Conversions::extraire(zip, c.limite);
                ADD_FAILURE() << "unpacked onto a full disk";
            } catch (const Erreur& e) {
                EXPECT_EQ(e.message(), plein(c.nom));
            }
        }
        EXPECT_EQ(d.noms(), avant);
        QFile::remove(d.chemin(".plein"));
        QFile::remove(zip);
    }
}

// Another program fills the disk while the unpacking writes: whatever the moment, the result
// is whole (each file's bytes as the archive holds them) or refused with nothing left.
TEST_F(ArchivesDisquePlein, ADiskFilledMeanwhileGivesAWholeResultOrNone)
{
    const QString zip = archive("pendant.zip", 60, 40 << 10);
    QTemporaryDir reference;
    ASSERT_EQ(executer("unzip", {"-q", "-d", reference.path(), zip}), 0);
    const QMap<QString, QByteArray> attendu = empreintes(reference.filePath("f"));
    for (int essai = 0; essai < 4; ++essai) {
        SCOPED_TRACE(essai);
        std::atomic<bool> debut{false};
        std::thread remplisseur([&] {
            // From the moment the work folder is there, a few blocks at a time.
            while (!debut)
                debut = tout(d.racine()).size() > 1;
            QFile f(d.chemin(".plein"));
            if (!f.open(QIODevice::WriteOnly))
                return;
            const QByteArray bloc(16 << 10, 'x');
            while (f.write(bloc) == bloc.size() && f.flush()) {
            }
        });
        const Resultat r = convertir({zip}, "extraire", {});
        debut = true;
        remplisseur.join();
        if (r.crees.isEmpty()) {
            EXPECT_EQ(r.erreurs, QStringList{plein("pendant.zip")});
        } else {
            EXPECT_EQ(r.crees, QStringList{d.chemin("f")});
            EXPECT_EQ(empreintes(d.chemin("f")), attendu);
            QDir(d.chemin("f")).removeRecursively();
        }
        QFile::remove(d.chemin(".plein"));
        EXPECT_EQ(d.noms(), QStringList{"pendant.zip"});
    }
}

// A disk that refuses a write for another reason than room (made read-only while the entries
// are written) is a write failure, named as the result would have been.
TEST_F(ArchivesDisquePlein, ADiskThatRefusesAWriteIsAWriteFailure)
{
    ASSERT_EQ(executer("python3", {"-c", "import sys, zipfile\n"
                                         "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
                                         "    z.writestr('a.txt', 'a'); z.writestr('a.txt', 'b')\n"
                                         "    for i in range(20): z.writestr(f'n{i}.txt', 'note')",
                                   d.chemin("lecture-seule.zip")}),
              0);
    const QByteArray racine = QFile::encodeName(d.racine());
    Resultat r;
    {
        const AuMessage figer(QString::fromUtf8("deux entrées du même nom"), [&] {
            ASSERT_EQ(::mount(nullptr, racine.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
        });
        r = convertir({d.chemin("lecture-seule.zip")}, "extraire", {});
    }
    ASSERT_EQ(::mount(nullptr, racine.constData(), nullptr, MS_REMOUNT, nullptr), 0);
    EXPECT_EQ(r.crees, QStringList{});
    EXPECT_EQ(r.erreurs, QStringList{inecrivable("lecture-seule")});
}

} // namespace
