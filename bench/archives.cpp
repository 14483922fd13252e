// Zipping and unzipping a 1 GB folder of mixed files, and 5 000 small files, against zip -r
// and unzip; the share of the unpacking guards (special entries, bomb).
#include "Comparaison.h"

#include "conversions/archives/Archives.h"
#include "conversions/archives/EntreesSpeciales.h"

#include <QRandomGenerator>
namespace {

// 400 MB of incompressible files (photos, videos) and 600 MB of text in nested folders.
const QString& dossier()
{
    static const QString chemin = [] {
        const QString c = Comparaison::dossierDeTravail(QStringLiteral("Mélange"));
        QRandomGenerator alea(42);
        const QList<QByteArray> mots{"conversion", "roue", "pétale", "fichier", "dossier", "archive", "image",
                                     "vidéo", "son", "texte", "lumière", "recadrer", "masque", "couper"};
        for (int i = 0; i < 200; ++i) {
            QByteArray octets(2 << 20, '\0');
            alea.fillRange(reinterpret_cast<quint32*>(octets.data()), octets.size() / 4);
            const QString nom = QStringLiteral("%1/medias/photo-%2.jpg").arg(c).arg(i);
            QDir().mkpath(QFileInfo(nom).absolutePath());
            QFile f(nom);
            f.open(QIODevice::WriteOnly);
            f.write(octets);
        }
        for (int i = 0; i < 3000; ++i) {
            QByteArray texte;
            texte.reserve(210000);
            while (texte.size() < 200000)
                texte += mots[alea.bounded(mots.size())] + ' ' + QByteArray::number(alea.bounded(1000)) + '\n';
            const QString nom = QStringLiteral("%1/textes/%2/note-%3.txt").arg(c).arg(i % 30).arg(i);
            QDir().mkpath(QFileInfo(nom).absolutePath());
            QFile f(nom);
            f.open(QIODevice::WriteOnly);
            f.write(texte);
        }
        return c;
    }();
    return chemin;
}

QString archiveDeReference() { return Comparaison::dossierDeTravail(QStringLiteral("reference.zip")); }

void BM_Zipper(benchmark::State& s)
{
    QString cree;
    dossier();  // made before the clock starts
    Comparaison::mesurer(s, "zip 1 Go", false, [&] { cree = Conversions::zipper({dossier()}); },
                         [&] { QFile::remove(cree); });
}

void BM_ZipperReference(benchmark::State& s)
{
    Comparaison::mesurer(s, "zip 1 Go", true, [&] {
        Comparaison::outil("zip", {"-r", "-q", "-X", archiveDeReference(), QFileInfo(dossier()).fileName()},
                           QFileInfo(dossier()).absolutePath());
    });
}

void BM_Extraire(benchmark::State& s)
{
    QString cree;
    const QString archive = Comparaison::dossierDeTravail(QStringLiteral("a-extraire.zip"));
    QFile::copy(archiveDeReference(), archive);
    Comparaison::mesurer(s, "unzip 1 Go", false, [&] { cree = Conversions::extraire(archive); },
                         [&] { QDir(cree).removeRecursively(); });
}

void BM_ExtraireReference(benchmark::State& s)
{
    const QString sortie = Comparaison::dossierDeTravail(QStringLiteral("reference"));
    Comparaison::mesurer(s, "unzip 1 Go", true,
                         [&] { Comparaison::outil("unzip", {"-q", archiveDeReference(), "-d", sortie}); },
                         [&] { QDir(sortie).removeRecursively(); });
}

// 5 000 notes of 1 to 4 kB in 50 folders, zipped by zip -r.
const QString& petits()
{
    static const QString archive = [] {
        const QString c = Comparaison::dossierDeTravail(QStringLiteral("Petits"));
        QRandomGenerator alea(7);
        for (int i = 0; i < 5000; ++i) {
            const QString nom = QStringLiteral("%1/dossier-%2/note-%3.txt").arg(c).arg(i % 50).arg(i);
            QDir().mkpath(QFileInfo(nom).absolutePath());
            QFile f(nom);
            f.open(QIODevice::WriteOnly);
            QByteArray texte;
            const int taille = 1024 + static_cast<int>(alea.bounded(3072));
            while (texte.size() < taille)
                texte += QByteArray::number(alea.generate()) + ' ';
            f.write(texte);
        }
        const QString zip = Comparaison::dossierDeTravail(QStringLiteral("petits.zip"));
        Comparaison::outil("zip", {"-r", "-q", "-X", zip, "Petits"}, QFileInfo(c).absolutePath());
        return zip;
    }();
    return archive;
}

void BM_ExtrairePetits(benchmark::State& s)
{
    QString cree;
    petits();  // made before the clock starts
    Comparaison::mesurer(s, "unzip 5 000 fichiers", false, [&] { cree = Conversions::extraire(petits()); },
                         [&] { QDir(cree).removeRecursively(); });
}

void BM_ExtrairePetitsReference(benchmark::State& s)
{
    const QString sortie = Comparaison::dossierDeTravail(QStringLiteral("reference-petits"));
    Comparaison::mesurer(s, "unzip 5 000 fichiers", true,
                         [&] { Comparaison::outil("unzip", {"-q", petits(), "-d", sortie}); },
                         [&] { QDir(sortie).removeRecursively(); });
}

// Packing the 5 000 notes: the cost of each entry more than of its bytes.
void BM_ZipperPetits(benchmark::State& s)
{
    QString cree;
    petits();  // made before the clock starts
    const QString dossier = Comparaison::dossierDeTravail(QStringLiteral("Petits"));
    Comparaison::mesurer(s, "zip 5 000 fichiers", false, [&] { cree = Conversions::zipper({dossier}); },
                         [&] { QFile::remove(cree); });
}

void BM_ZipperPetitsReference(benchmark::State& s)
{
    const QString zip = Comparaison::dossierDeTravail(QStringLiteral("reference-petits.zip"));
    petits();
    Comparaison::mesurer(s, "zip 5 000 fichiers", true, [&] {
        Comparaison::outil("zip", {"-r", "-q", "-X", zip, "Petits"},
                           QFileInfo(Comparaison::dossierDeTravail(QStringLiteral("Petits"))).absolutePath());
    }, [&] { QFile::remove(zip); });
}

// The guards' own pass (the central directory read for special entries) against the
// whole unpacking of the 1 GB archive; the bomb's byte count adds one comparison a block.
void BM_Gardes(benchmark::State& s)
{
    Comparaison::mesurer(s, "gardes / déballage 1 Go", false,
                         [&] { benchmark::DoNotOptimize(Conversions::entreesSpeciales(archiveDeReference())); });
}

void BM_GardesReference(benchmark::State& s)
{
    QString cree;
    Comparaison::mesurer(s, "gardes / déballage 1 Go", true,
                         [&] { cree = Conversions::extraire(archiveDeReference()); },
                         [&] { QDir(cree).removeRecursively(); });
}

} // namespace

BENCHMARK(BM_Zipper)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_ZipperReference)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_Extraire)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_ExtraireReference)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_ExtrairePetits)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_ExtrairePetitsReference)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_ZipperPetits)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_ZipperPetitsReference)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_Gardes)->Iterations(1)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GardesReference)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

int main(int argc, char** argv)
{
    return Comparaison::lancer(argc, argv);
}
