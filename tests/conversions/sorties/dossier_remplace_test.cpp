// The user renames the source's folder away during a job, and often makes a new folder of
// the same name: whatever the moment, nothing of the job lands in the new folder, the moved
// one keeps only the source, or the source and the job's whole outputs, and a failure names
// the folder.
#include "conversions/Chemins.h"
#include "conversions/Conversions.h"
#include "conversions/sorties/Sortie.h"

#include "conversions/essais_outils.h"
#include "conversions/media_outils.h"
#include "conversions/pdf/pdf_fabrique.h"

#include <QElapsedTimer>
#include <QRandomGenerator>

#include <atomic>
#include <chrono>
#include <thread>

using namespace Conversions;

namespace {

struct Route {
    QString petale;
    // Makes the source in the folder; its path.
    std::function<QString(const QString& dossier)> source;
};

// Sets `entame` once a job makes its first output, while it lives.
struct Entame {
    explicit Entame(std::atomic<bool>& entame)
    {
        Sortie::preparerLesTemporaires([&entame](const QString&) { entame = true; });
    }
    ~Entame() { Sortie::preparerLesTemporaires({}); }
};

// One trial: `petale` on `source`, its folder renamed away after `apres` and, when
// `remplacer`, another made in its place.
void essayer(const QString& source, const QString& petale, std::chrono::microseconds apres, bool remplacer,
             const std::string& cas)
{
    const QString dossier = QFileInfo(source).absolutePath();
    const QString ailleurs = dossier + QStringLiteral("-ailleurs");
    Resultat r;
    // Whether the job made an output yet: it holds its folder from before that.
    std::atomic<bool> entame{false};
    const Entame guet(entame);
    // Joined however this returns: a failed assertion fails the test, not the whole program.
    std::jthread travail([&] { r = convertir({source}, petale, {}); });
    std::this_thread::sleep_for(apres);
    const bool enCours = entame;
    ASSERT_TRUE(QDir().rename(dossier, ailleurs)) << cas;
    if (remplacer)
        ASSERT_TRUE(QDir().mkdir(dossier)) << cas;
    travail.join();
    // Failed once the job was under way: the folder is what went, not the source.
    if (enCours)
        for (const QString& e : std::as_const(r.erreurs))
            EXPECT_EQ(e, inecrivable(nomDe(dossier))) << cas;
    if (remplacer)
        EXPECT_EQ(tout(dossier), QStringList()) << cas;
    else
        EXPECT_FALSE(QFileInfo::exists(dossier)) << "dossier refait à l’ancien chemin : " << cas;
    // Done before the move: its outputs went with the folder.
    QStringList attendus{nomDe(source)};
    for (const QString& c : std::as_const(r.crees))
        attendus << nomDe(c);
    attendus.sort();
    EXPECT_EQ(tout(ailleurs), attendus) << cas << " " << r.erreurs.join(' ').toStdString();
    QDir(ailleurs).removeRecursively();
    QDir(dossier).removeRecursively();
}

} // namespace

TEST(DossierRemplace, RienNeSEgareQuelQueSoitLeMoment)
{
    lierFFmpeg();
    const QList<Route> routes{
        {QStringLiteral("jpg"), [](const QString& d) { return pdfLourd(QDir(d).filePath("doc.pdf"), 8); }},
        {QStringLiteral("png"), [](const QString& d) { return pdfLourd(QDir(d).filePath("doc.pdf"), 2); }},
        {QStringLiteral("separer"), [](const QString& d) { return pdfLourd(QDir(d).filePath("doc.pdf"), 20); }},
        {QStringLiteral("mp4"),
         [](const QString& d) { return clip(QDir(d).filePath("film.mkv"), QStringLiteral("320x240"), 5, true, x264); }},
        {QStringLiteral("mp3"),
         [](const QString& d) {
             const QString wav = QDir(d).filePath("voix.wav");
             ffmpeg({"-f", "lavfi", "-i", "sine=frequency=440:duration=60"}, wav);
             return wav;
         }},
        {QStringLiteral("docx"),
         [](const QString& d) {
             QByteArray texte;
             for (int i = 0; i < 3000; ++i)
                 texte += "Paragraphe " + QByteArray::number(i) + " : *quelques* mots de plus.\n\n";
             QFile f(QDir(d).filePath("notes.md"));
             EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(texte) == texte.size());
             return f.fileName();
         }},
        {QStringLiteral("zip"), [](const QString& d) { return pdfLourd(QDir(d).filePath("doc.pdf"), 8); }},
        {QStringLiteral("webp"),
         [](const QString& d) {
             const QString png = QDir(d).filePath("photo.png");
             QImage image(2000, 1500, QImage::Format_RGB32);
             image.fill(QColor(30, 120, 200));
             image.save(png);
             return png;
         }},
    };
    const quint32 graine = QRandomGenerator::global()->generate();
    QRandomGenerator alea(graine);
    Dossier d;
    for (const Route& route : routes) {
        const QString dossier = d.chemin(route.petale);
        // How long the road takes here, undisturbed: the moments are drawn within it.
        ASSERT_TRUE(QDir().mkdir(dossier));
        const QString source = route.source(dossier);
        QElapsedTimer montre;
        montre.start();
        const Resultat temoin = convertir({source}, route.petale, {});
        const qint64 duree = montre.nsecsElapsed() / 1000;
        ASSERT_TRUE(temoin.erreurs.isEmpty()) << route.petale.toStdString() << temoin.erreurs.join(' ').toStdString();
        const QByteArray octets = essais::lire(source);
        QDir(dossier).removeRecursively();
        for (int essai = 0; essai < 4; ++essai) {
            ASSERT_TRUE(QDir().mkdir(dossier));
            QFile f(QDir(dossier).filePath(nomDe(source)));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(octets) == octets.size());
            f.close();
            const auto apres = std::chrono::microseconds(alea.bounded(duree));
            const bool remplacer = essai != 3;
            essayer(f.fileName(), route.petale, apres, remplacer,
                    QStringLiteral("%1 après %2 ms%3 (graine %4)")
                        .arg(route.petale)
                        .arg(apres.count() / 1000)
                        .arg(remplacer ? QStringLiteral(", remplacé") : QString())
                        .arg(graine)
                        .toStdString());
        }
    }
}
