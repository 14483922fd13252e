// Writers that meet a full disk, on every road: the message says so and names the file
// converted, and nothing is left, not even the pages written before. Two full disks: a link from every new
// temporary to /dev/full (each write there fails; no mount needed, so it runs anywhere),
// and a small file system of its own, filled by the test (skipped where mounting is refused).

#include "conversions/media_outils.h"

#include "commun/Echantillons.h"
#include "conversions/sorties/Sortie.h"
#include "conversions/petit_disque.h"

#include <QRandomGenerator>

using namespace Conversions;

namespace {

// Every output's temporary is a link to /dev/full while this lives.
struct DisquePleinSimule {
    DisquePleinSimule()
    {
        Sortie::preparerLesTemporaires([](const QString& t) { QFile::link(QStringLiteral("/dev/full"), t); });
    }
    ~DisquePleinSimule() { Sortie::preparerLesTemporaires({}); }
};

// A picture that no encoder makes small.
QString bruitImage(const QString& chemin, int cote)
{
    QImage image(cote, cote, QImage::Format_RGB32);
    QRandomGenerator hasard(36);
    for (int y = 0; y < cote; ++y)
        for (int x = 0; x < cote; ++x)
            image.setPixel(x, y, hasard.generate() | 0xff000000u);
    EXPECT_TRUE(image.save(chemin));
    return chemin;
}

struct Route {
    const char* source;
    const char* cible;
};

void chaqueRouteEchoue(const Dossier& d, const QList<Route>& routes)
{
    for (const Route& r : routes) {
        SCOPED_TRACE(std::string(r.source) + " → " + r.cible);
        echoue(d, {d.chemin(QString::fromUtf8(r.source))}, QString::fromLatin1(r.cible),
               {sansPlace(QString::fromUtf8(r.source))});
    }
}

TEST(EcrituresEchouees, ChaqueEcrivainDitQueLeDisqueEstPlein)
{
    lierFFmpeg();
    Dossier d;
    bruitImage(d.chemin("photo.png"), 200);
    Echantillons::pdf(d.chemin("page.pdf"), 1);
    Echantillons::pdf(d.chemin("doc.pdf"), 3);
    d.ecrire("notes.txt", "Quelques lignes\nà mettre en page.\n");
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "sine=d=1"}, d.chemin("son.wav")));
    clip(d.chemin("clip.mp4"), "160x120", 1, true, x264);
    clip(d.chemin("autre.mkv"), "160x120", 1, true, x264);
    Echantillons::gif(d.chemin("anim.gif"), 4);

    DisquePleinSimule plein;
    chaqueRouteEchoue(d, {
        {"photo.png", "jpg"},
        {"photo.png", "heic"},
        {"photo.png", "webp"},
        {"photo.png", "pdf"},
        {"photo.png", "leger"},
        {"page.pdf", "jpg"},
        {"page.pdf", "png"},
        {"doc.pdf", "separer"},
        {"doc.pdf", "txt"},
        {"doc.pdf", "docx"},
        {"notes.txt", "pdf"},
        {"notes.txt", "docx"},
        {"son.wav", "mp3"},
        {"son.wav", "m4a"},
        {"son.wav", "aiff"},
        {"clip.mp4", "mov"},
        {"clip.mp4", "gif"},
        {"clip.mp4", "m4a"},
        {"clip.mp4", "leger"},
        {"autre.mkv", "mp4"},
        {"anim.gif", "gifmp4"},
        {"anim.gif", "leger"},
    });
    echoue(d, {d.chemin("photo.png"), d.chemin("page.pdf")}, "pdf", {sansPlace("page.pdf")});
    echoue(d, {d.chemin("notes.txt")}, "zip", {sansPlace("notes.txt")});
}

// libvips' words reach the log with their accents, in one line.
TEST(EcrituresEchouees, LesMotsDeLaBibliothequeGardentLeursAccents)
{
    static QStringList messages;
    messages.clear();
    const QtMessageHandler avant = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& m) {
        messages << m;
    });
    lierFFmpeg();
    Dossier d;
    clip(d.chemin("clip.mp4"), "160x120", 1, false, x264);
    {
        DisquePleinSimule plein;
        echoue(d, {d.chemin("clip.mp4")}, "gif", {sansPlace("clip.mp4")});
    }
    qInstallMessageHandler(avant);
    EXPECT_TRUE(std::any_of(messages.begin(), messages.end(),
                            [](const QString& m) { return m.contains(QString::fromUtf8("gif, écriture")); }))
        << messages.join('\n').toStdString();
}

// WebP stores each side on 14 bits: a wider picture is refused as such, not as a write failure.
TEST(EcrituresEchouees, UneImageTropLargePourWebPLeDit)
{
    Dossier d;
    sortieDe("vips", {"black", d.chemin("bande.png"), "16384", "2"});
    echoue(d, {d.chemin("bande.png")}, "webp",
           {QString::fromUtf8("« bande.png » est trop grande pour WebP (16 383 pixels de côté au plus)")});
}

class DisquePlein : public PetitDisque {
protected:
    void SetUp() override
    {
        if (!monter("8m"))
            GTEST_SKIP() << "no right to mount a small file system here";
    }
};

TEST_F(DisquePlein, RienDeCasseNiDeDemiFait)
{
    bruitImage(d.chemin("photo.png"), 700);
    Echantillons::pdf(d.chemin("long.pdf"), 5);
    QString texte;
    for (int i = 0; i < 4000; ++i)
        texte += QStringLiteral("Ligne %1 d’un long texte à mettre en page.\n").arg(i);
    d.ecrire("texte.txt", texte.toUtf8());
    remplir(12 << 10);

    chaqueRouteEchoue(d, {
        {"photo.png", "heic"},
        {"photo.png", "jpg"},
        {"photo.png", "pdf"},
        {"texte.txt", "pdf"},
    });
    // Some pages fit, the rest do not: none is kept.
    chaqueRouteEchoue(d, {{"long.pdf", "separer"}, {"long.pdf", "jpg"}, {"long.pdf", "png"}, {"photo.png", "zip"}});
}

} // namespace
