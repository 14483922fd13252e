// Writers that meet a full disk, on every road: the output's own name in the message, and
// nothing left, not even the pages written before. Two full disks: a link from every new
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
    const char* sortie;
};

void chaqueRouteEchoue(const Dossier& d, const QList<Route>& routes)
{
    for (const Route& r : routes) {
        SCOPED_TRACE(std::string(r.source) + " → " + r.cible);
        echoue(d, {d.chemin(QString::fromUtf8(r.source))}, QString::fromLatin1(r.cible),
               {inecrivable(QString::fromUtf8(r.sortie))});
    }
}

TEST(EcrituresEchouees, ChaqueEcrivainDitQuIlNaPasPuEcrire)
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
        {"photo.png", "jpg", "photo.jpg"},
        {"photo.png", "heic", "photo.heic"},
        {"photo.png", "webp", "photo.webp"},
        {"photo.png", "pdf", "photo.pdf"},
        {"photo.png", "leger", "photo (légère).jpg"},
        {"page.pdf", "jpg", "page.jpg"},
        {"page.pdf", "png", "page.png"},
        {"doc.pdf", "separer", "doc page 1.pdf"},
        {"doc.pdf", "txt", "doc.txt"},
        {"doc.pdf", "docx", "doc.docx"},
        {"notes.txt", "pdf", "notes.pdf"},
        {"notes.txt", "docx", "notes.docx"},
        {"son.wav", "mp3", "son.mp3"},
        {"son.wav", "m4a", "son.m4a"},
        {"son.wav", "aiff", "son.aiff"},
        {"clip.mp4", "mov", "clip.mov"},
        {"clip.mp4", "gif", "clip.gif"},
        {"clip.mp4", "m4a", "clip.m4a"},
        {"clip.mp4", "leger", "clip (légère).mp4"},
        {"autre.mkv", "mp4", "autre.mp4"},
        {"anim.gif", "gifmp4", "anim.mp4"},
        {"anim.gif", "leger", "anim (légère).png"},
    });
    echoue(d, {d.chemin("photo.png"), d.chemin("page.pdf")}, "pdf", {inecrivable("page et 1 autres.pdf")});
    echoue(d, {d.chemin("notes.txt")}, "zip", {inecrivable("notes.zip")});
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
        echoue(d, {d.chemin("clip.mp4")}, "gif", {inecrivable("clip.gif")});
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
        {"photo.png", "heic", "photo.heic"},
        {"photo.png", "jpg", "photo.jpg"},
        {"photo.png", "pdf", "photo.pdf"},
        {"texte.txt", "pdf", "texte.pdf"},
    });
    // Some pages fit, the rest do not: none is kept, and the message names a page.
    for (const char* cible : {"separer", "jpg"}) {
        SCOPED_TRACE(cible);
        const QStringList avant = d.noms();
        const Resultat r = convertir({d.chemin("long.pdf")}, cible, {});
        EXPECT_TRUE(r.crees.isEmpty());
        ASSERT_EQ(r.erreurs.size(), 1);
        EXPECT_TRUE(r.erreurs.first().startsWith(inecrivable("long page ").chopped(2))) << r.erreurs.first().toStdString();
        EXPECT_EQ(d.noms(), avant);
    }
}

} // namespace
