// The trim tool: its model driven through a fake player (no sound hardware), its labels,
// its waveform on generated sounds and its thumbnails on generated movies, and the window
// on a real file, confirmed with its passage cut beside the source.
#include "commun/Attendre.h"
#include "commun/Dossier.h"
#include "conversions/media_outils.h"
#include "fenetres/commun/Boutons.h"
#include "fenetres/couper/ApercuCouper.h"
#include "fenetres/commun/Entete.h"
#include "fenetres/commun/FenetreOutil.h"
#include "fenetres/couper/modele/Onde.h"
#include "fenetres/commun/Outils.h"
#include "fenetres/couper/modele/Passage.h"
#include "fenetres/commun/Pilule.h"
#include "fenetres/couper/PisteCouper.h"
#include "fenetres/couper/VueCouper.h"
#include "fenetres/retouches/Retouches.h"
#include "plateforme/media/LecteurAudio.h"

#include <QElapsedTimer>
#include <QMouseEvent>
#include <QThreadPool>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

// A player that only remembers: the model's rules are checked on what it was told.
struct FauxLecteur : Lecteur {
    double temps = 0;
    bool fin = false, joue = false;
    QStringList ordres;
    QString ouvert;

    void ouvrir(const QString& chemin) override { ouvert = chemin; }
    void jouer() override { joue = true; ordres << "jouer"; }
    void pause() override { joue = false; ordres << "pause"; }
    void chercher(double s) override
    {
        temps = s;
        fin = false;
        ordres << QString::asprintf("chercher %.2f", s);
    }
    double position() const override { return temps; }
    bool termine() const override { return fin; }
};

// A model of `chemin` with a fake player, loaded.
struct Modele {
    FauxLecteur* l;
    std::unique_ptr<Passage> p;

    explicit Modele(const QString& chemin)
    {
        auto faux = std::make_unique<FauxLecteur>();
        l = faux.get();
        p = std::make_unique<Passage>(chemin, std::move(faux));
        bool fini = false;
        QObject::connect(p.get(), &Passage::prepare, [&] { fini = true; });
        p->preparer();
        EXPECT_TRUE(attendre([&] { return fini; }));
    }
    // Plays, the player reaching `t`, one beat of the clock.
    void jouerJusqua(double t)
    {
        if (!p->lit())
            p->lire();
        l->temps = t;
        p->battre();
    }
};

QString son(const Dossier& d, const QString& nom, const QString& filtre, int frequence = 8000)
{
    const QString chemin = d.chemin(nom);
    ffmpeg({"-f", "lavfi", "-i", filtre, "-ar", QString::number(frequence), "-ac", "1"}, chemin);
    return chemin;
}

} // namespace

TEST(Couper, EtiquettesEtLongueurs)
{
    const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        double t;
        const char *minutes, *dixiemes, *duree;
    } cas[] = {
        {5, "0:05", "0:05,0", "5,0 s"},
        {65.3, "1:05", "1:05,3", "1:05,3"},
        {75.5, "1:15", "1:15,5", "1:15,5"},
        {12.5, "0:12", "0:12,5", "12,5 s"},
        {60, "1:00", "1:00,0", "1:00,0"},
        // rounded to tenths before minutes and seconds are split
        {59.97, "0:59", "1:00,0", "1:00,0"},
        {3599.96, "59:59", "60:00,0", "60:00,0"},
        {-2, "0:00", "0:00,0", "0,0 s"},
        {inf, "–:––", "–:––", "–:––"},
        {nan, "–:––", "–:––", "–:––"},
        {-inf, "0:00", "0:00,0", "0,0 s"},
    };
    for (const auto& c : cas) {
        EXPECT_EQ(VueCouper::minutes(c.t, false), QString::fromUtf8(c.minutes)) << c.t;
        EXPECT_EQ(VueCouper::minutes(c.t, true), QString::fromUtf8(c.dixiemes)) << c.t;
        EXPECT_EQ(VueCouper::duree(c.t), QString::fromUtf8(c.duree)) << c.t;
    }
}

// The decimal mark follows the user's first language; the C locale names none.
TEST(Couper, VirguleDeLaPremiereLangue)
{
    const std::pair<QStringList, const char*> cas[] = {
        {{"fr-FR", "en-US"}, ","}, {{"en-US", "fr-FR"}, "."}, {{"de-DE"}, ","},
        {{"ja-JP"}, "."},          {{"C"}, ","},              {{}, ","},
    };
    for (const auto& [langues, attendue] : cas)
        EXPECT_EQ(VueCouper::virguleDe(langues), QString::fromUtf8(attendue)) << langues.join(' ').toStdString();
}

TEST(Couper, LectureBoucleEtEcart)
{
    Dossier d;
    Modele m(son(d, "dix.wav", "sine=f=440:d=10"));
    Passage& p = *m.p;
    ASSERT_TRUE(p.erreur().isEmpty());
    EXPECT_DOUBLE_EQ(p.duree(), 10);
    EXPECT_EQ(p.d0(), 0);
    EXPECT_DOUBLE_EQ(p.d1(), 10);
    EXPECT_EQ(m.l->ouvert, d.chemin("dix.wav"));

    // The gap is 0.5 s on 10 s; the ends stay inside the file.
    const struct {
        Passage::Bout bout;
        double fraction, d0, d1;
    } prises[] = {
        {Passage::Bout::debut, 0.99, 9.5, 10}, {Passage::Bout::fin, 0, 9.5, 10},
        {Passage::Bout::debut, -0.3, 0, 10},   {Passage::Bout::fin, 0.01, 0, 0.5},
        {Passage::Bout::fin, 1.7, 0, 10},      {Passage::Bout::debut, 0.1, 1, 10},
        {Passage::Bout::fin, 0.2, 1, 2},
    };
    for (const auto& c : prises) {
        p.tenir(c.bout, c.fraction);
        EXPECT_NEAR(p.d0(), c.d0, 1e-9) << c.fraction;
        EXPECT_NEAR(p.d1(), c.d1, 1e-9) << c.fraction;
        EXPECT_DOUBLE_EQ(p.pos(), c.bout == Passage::Bout::debut ? p.d0() : p.d1());
        EXPECT_EQ(m.l->ordres.last(), QString::asprintf("chercher %.2f", p.pos()));  // exact, every move
    }

    // Within 0.05 s of the end, playing starts again from the start; at 1.5 s it resumes.
    for (const auto& [depuis, cherche] : {std::pair{1.96, true}, {1.5, false}}) {
        m.jouerJusqua(depuis);
        p.basculer();
        EXPECT_FALSE(p.lit());
        EXPECT_DOUBLE_EQ(p.pos(), depuis);
        m.l->ordres.clear();
        p.basculer();
        EXPECT_TRUE(p.lit());
        EXPECT_EQ(m.l->ordres, cherche ? QStringList({"chercher 1.00", "jouer"}) : QStringList{"jouer"}) << depuis;
    }

    // Reaching the end of the passage loops to its start and plays on.
    m.l->ordres.clear();
    m.jouerJusqua(2.01);
    EXPECT_DOUBLE_EQ(p.pos(), 1);
    EXPECT_TRUE(p.lit());
    EXPECT_EQ(m.l->ordres, QStringList({"chercher 1.00", "jouer"}));

    // A passage ending with the file: the player stops short of d1 at the end of media and
    // must be started again.
    p.tenir(Passage::Bout::fin, 1);
    p.lire();
    m.l->ordres.clear();
    m.l->fin = true;
    m.jouerJusqua(9.98);
    EXPECT_DOUBLE_EQ(p.pos(), 1);
    EXPECT_EQ(m.l->ordres, QStringList({"chercher 1.00", "jouer"}));

    // Closing pauses and stops the clock.
    p.fermer();
    EXPECT_FALSE(m.l->joue);
}

TEST(Couper, FichierIlliblePasDeLecture)
{
    Dossier d;
    for (const QString& nom : {QStringLiteral("song.mp3"), QStringLiteral("abime.mp4")}) {
        const QString chemin = d.ecrire(nom, nom.endsWith("mp4") ? bruit(5000) : QByteArray());
        Modele m(chemin);
        EXPECT_EQ(m.p->erreur(), QStringLiteral("Impossible de lire « %1 »").arg(nom));
        EXPECT_EQ(m.p->duree(), 0);
        EXPECT_FALSE(m.p->coupable());
        m.p->basculer();
        m.p->tenir(Passage::Bout::debut, 0.5);
        EXPECT_FALSE(m.p->lit());
        EXPECT_TRUE(m.l->ordres.isEmpty()) << m.l->ordres.join(", ").toStdString();
    }
}

// A sound only ffmpeg reads is heard through a temporary WAV that never outlives the model,
// even when the model closes while ffmpeg is still writing it.
TEST(Couper, CopieTemporaireDUnOgg)
{
    lierFFmpeg();
    Dossier d, temporaire;
    const QByteArray ancien = qgetenv("TMPDIR");
    qputenv("TMPDIR", temporaire.racine().toUtf8());
    const QString ogg = d.chemin("son.ogg");
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "sine=d=120", "-c:a", "libvorbis"}, ogg));
    {
        Modele m(ogg);
        ASSERT_TRUE(m.p->erreur().isEmpty()) << m.p->erreur().toStdString();
        EXPECT_NEAR(m.p->duree(), 120, 0.1);
        EXPECT_TRUE(QFileInfo(m.p->travail()).fileName().contains(QRegularExpression("^vemo-vododod-ecoute-[0-9a-f-]{36}\\.wav$")));
        EXPECT_EQ(m.l->ouvert, m.p->travail());
        EXPECT_EQ(temporaire.noms(), QStringList{QFileInfo(m.p->travail()).fileName()});
        EXPECT_EQ(flux(m.p->travail(), "audio").value("codec_name").toString(), "pcm_s16le");
    }
    EXPECT_TRUE(temporaire.noms().isEmpty());

    // Closed during the copy: once ffmpeg is done, nothing is left.
    {
        Passage p(ogg, std::make_unique<FauxLecteur>());
        p.preparer();
        p.fermer();
    }
    QThreadPool::globalInstance()->waitForDone(60000);
    QCoreApplication::processEvents();
    EXPECT_TRUE(temporaire.noms().isEmpty()) << temporaire.noms().join(", ").toStdString();
    qputenv("TMPDIR", ancien);
}

// A copy that would not fit the temporary folder is not begun; one begun stops as soon as
// its window closes, and leaves nothing. The sources are sparse: silence that takes no room
// (a long one, and one whose header promises far more than the disk holds).
TEST(Couper, CopieBorneeEtArreteeALaFermeture)
{
    lierFFmpeg();
    Dossier d, temporaire;
    const QByteArray ancien = qgetenv("TMPDIR");
    qputenv("TMPDIR", temporaire.racine().toUtf8());

    const QString immense = silenceCreux(d.chemin("immense.oga"), 16, 2, 48000, qint64(1) << 42, 1 << 20);
    Modele m(immense);
    // The guillemets stay with the name they quote (no-break spaces).
    EXPECT_EQ(m.p->erreur(), QStringLiteral("Pas assez de place libre pour écouter «\u00A0immense.oga\u00A0»"));
    EXPECT_TRUE(temporaire.noms().isEmpty()) << temporaire.noms().join(", ").toStdString();

    // 8 GB to copy: many seconds of writing, stopped at once.
    const QString longue = silenceCreux(d.chemin("longue.oga"), 16, 2, 48000, 2'000'000'000);
    {
        Passage p(longue, std::make_unique<FauxLecteur>());
        p.preparer();
        ASSERT_TRUE(attendre([&] {
            const QStringList noms = temporaire.noms();
            return !noms.isEmpty() && QFileInfo(temporaire.chemin(noms.first())).size() > (1 << 20);
        }));
        p.fermer();
    }
    QElapsedTimer t;
    t.start();
    EXPECT_TRUE(QThreadPool::globalInstance()->waitForDone(3000)) << "ffmpeg went on writing the copy";
    EXPECT_LT(t.elapsed(), 3000);
    QCoreApplication::processEvents();
    EXPECT_TRUE(temporaire.noms().isEmpty()) << temporaire.noms().join(", ").toStdString();
    qputenv("TMPDIR", ancien);
}

TEST(Couper, OndeSurDesSonsFabriques)
{
    Dossier d;
    const auto onde = [](const QString& chemin) {
        return Passage::onde(chemin, std::numeric_limits<double>::quiet_NaN());
    };
    // 9 216 samples at 8 kHz: 96 slices of 96; one sample less: slices of 95, 97 bars.
    EXPECT_EQ(onde(son(d, "a.wav", "sine=f=1000:d=1.152")).size(), 96);
    EXPECT_EQ(onde(son(d, "b.wav", "sine=f=1000:d=1.151")).size(), 97);
    EXPECT_EQ(onde(son(d, "c.wav", "sine=f=1000:d=2")).size(), 97);
    EXPECT_EQ(onde(son(d, "d.wav", "sine=f=1000:d=0.01")).size(), 80);

    const QList<float> silence = onde(son(d, "silence.wav", "anullsrc=d=3"));
    ASSERT_EQ(silence.size(), 96);
    for (float v : silence)
        EXPECT_FLOAT_EQ(v, 0.12f);
    // A steady tone at 44.1 kHz, read at 8 kHz: every slice as loud as the loudest.
    const QList<float> ton = onde(son(d, "ton.wav", "sine=f=1000:d=3", 44100));
    ASSERT_EQ(ton.size(), 96);
    for (float v : ton)
        EXPECT_NEAR(v, 1, 0.01);

    // A long sound is read in parts from seeks: the same bars as one pass from the start.
    // Two minutes of tone then two of a quieter one, as MP3 (its frames lean on earlier ones).
    const QString mp3 = d.chemin("long.mp3");
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "sine=f=300:d=120", "-f", "lavfi", "-i", "sine=f=500:d=120", "-filter_complex",
                        "[1]volume=0.25[b];[0][b]concat=n=2:v=0:a=1", "-c:a", "libmp3lame"}, mp3));
    const QList<float> parts = Passage::onde(mp3, 240), passe = onde(mp3);
    // The same slices, but for a last one of a few samples that a seek may add or take.
    ASSERT_NEAR(parts.size(), passe.size(), 1);
    for (int i = 0; i < 96; ++i)
        EXPECT_NEAR(parts[i], passe[i], 0.01) << i;
    EXPECT_NEAR(parts[10], 1, 0.02);
    // Each part starts from a seek: the samples there are ffmpeg's own at that time.
    const QString brut = d.chemin("long.f32");
    ASSERT_TRUE(ffmpeg({"-i", mp3, "-ar", "8000", "-ac", "1", "-f", "f32le"}, brut));
    const QByteArray reference = essais::lire(brut);
    Media::LecteurAudio lecteur(mp3, 8000, 1);
    ASSERT_TRUE(lecteur.chercher(150.0625));
    ASSERT_EQ(lecteur.lire(4000), 4000);
    const auto* attendus = reinterpret_cast<const float*>(reference.constData()) + 1200500;
    int ecarts = 0;
    for (int i = 0; i < 4000; ++i)
        ecarts += std::abs(lecteur.canal(0)[i] - attendus[i]) > 0.01f;
    EXPECT_EQ(ecarts, 0);
    EXPECT_NEAR(parts[80], 0.12 + 0.88 * 0.25, 0.02);

    // No sound track: no waveform.
    EXPECT_TRUE(onde(clip(d.chemin("muet.mp4"), "64x48", 2, false, x264)).isEmpty());
}

TEST(Couper, VignettesRedresseesOuAbsentes)
{
    Dossier d;
    // 320 × 180 stored, shown turned a quarter: upright thumbnails are 113 × 200.
    const QString droit = clip(d.chemin("droit.mp4"), "320x180", 10, false, x264);
    const QString tourne = d.chemin("tourne.mp4");
    ASSERT_TRUE(ffmpeg({"-i", droit, "-c", "copy", "-metadata:s:v:0", "rotate=90"}, tourne));
    int rappels = 0;
    const QList<QImage> v = Passage::vignettes(tourne, 10, [&](const QImage&) { ++rappels; });
    ASSERT_EQ(v.size(), 10);
    EXPECT_EQ(rappels, 10);
    for (const QImage& i : v)
        EXPECT_EQ(i.size(), QSize(113, 200));

    // Undecodable pictures: an empty strip, no crash.
    const QString abime = d.ecrire("abime.mp4", essais::lire(droit).left(2000) + bruit(40000));
    EXPECT_TRUE(Passage::vignettes(abime, 10).isEmpty());
}

// The window on a 10 s sound: loading, the confirming button held while nothing can be
// cut, the start handle dragged to the middle, then the cut beside the source.
TEST(Couper, FenetreCoupeLaSecondeMoitie)
{
    qputenv("QT_MEDIA_BACKEND", "ffmpeg");
    lierFFmpeg();
    Dossier d;
    const QString source = son(d, "dix.wav", "sine=f=440:d=10", 44100);
    QStringList finis;
    ASSERT_TRUE(Outils::ouvrir(QStringLiteral("couper"), d.ecrire("vide.wav"), [&](const QString& f) { finis << f; }));
    auto* vide = FenetreOutil::ouvertes().last()->findChild<VueCouper*>();
    ASSERT_TRUE(attendre([&] { return !vide->erreur().isEmpty(); }));
    EXPECT_EQ(vide->erreur(), "Impossible de lire « vide.wav »");
    EXPECT_FALSE(vide->boutons().confirmation().isEnabled());
    FenetreOutil::ouvertes().last()->close();

    ASSERT_TRUE(Outils::ouvrir(QStringLiteral("couper"), source, [&](const QString& f) { finis << f; }));
    FenetreOutil* fenetre = FenetreOutil::ouvertes().last();
    auto* vue = fenetre->findChild<VueCouper*>();
    ASSERT_TRUE(attendre([&] { return vue->passage().pret() && !vue->passage().onde().isEmpty(); }));
    EXPECT_EQ(vue->entete().pastille(), "0:10");
    EXPECT_TRUE(vue->boutons().confirmation().isEnabled());

    PisteCouper& piste = vue->piste();
    const QPointF prise = piste.poignee(Passage::Bout::debut).center();
    const QPointF milieu(piste.piste().center().x(), prise.y());
    QMouseEvent presse(QEvent::MouseButtonPress, prise, piste.mapToGlobal(prise), Qt::LeftButton, Qt::LeftButton, {});
    QMouseEvent bouge(QEvent::MouseMove, milieu, piste.mapToGlobal(milieu), Qt::NoButton, Qt::LeftButton, {});
    QMouseEvent lache(QEvent::MouseButtonRelease, milieu, piste.mapToGlobal(milieu), Qt::LeftButton, {}, {});
    QCoreApplication::sendEvent(&piste, &presse);
    QCoreApplication::sendEvent(&piste, &bouge);
    QCoreApplication::sendEvent(&piste, &lache);
    EXPECT_NEAR(vue->passage().d0(), 5, 0.02);

    vue->boutons().confirmation().click();
    ASSERT_TRUE(attendre([&] { return !finis.isEmpty(); }));
    EXPECT_EQ(finis, QStringList{d.chemin("dix (coupé).wav")});
    EXPECT_NEAR(duree(sonde(finis[0])), 5, 0.03);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(FenetreOutil::ouvertes().isEmpty());
}

// Qt's own player on a sound. Without a sound output (no sound server) the clock keeps the
// time: the play head moves through the passage and it starts again in silence.
TEST(Couper, LectureReelleBoucleLePassage)
{
    Dossier d;
    const QString wav = son(d, QStringLiteral("trois.wav"), QStringLiteral("sine=f=300:d=3"), 44100);
    Passage p(wav);
    bool pret = false;
    QObject::connect(&p, &Passage::prepare, [&] { pret = true; });
    p.preparer();
    ASSERT_TRUE(attendre([&] { return pret; }));
    ASSERT_NEAR(p.duree(), 3.0, 0.05);
    p.tenir(Passage::Bout::debut, 1.0 / 3);
    p.tenir(Passage::Bout::fin, 1.6 / 3);
    ASSERT_NEAR(p.d0(), 1.0, 1e-9);
    ASSERT_NEAR(p.d1(), 1.6, 1e-9);
    p.lire();
    ASSERT_TRUE(p.lit());
    double plusLoin = 0;
    int retours = 0;
    double avant = p.pos();
    QElapsedTimer t;
    t.start();
    // Two seconds: more than three times the passage.
    attendre([&] {
        const double ici = p.pos();
        plusLoin = std::max(plusLoin, ici);
        if (ici + 0.2 < avant)
            ++retours;
        avant = ici;
        EXPECT_GE(ici, p.d0() - 0.05);
        EXPECT_LE(ici, p.d1() + 0.1);
        return false;
    }, 2000);
    EXPECT_TRUE(p.lit());
    EXPECT_GT(plusLoin, 1.35);  // the head moved well into the passage
    EXPECT_GE(retours, 1);      // and started again from its beginning
    p.fermer();
}

// A movie of sound alone (PCM in MOV) opens as a sound: its waveform, the handles, playing,
// and the cut, measured by its decoded samples.
TEST(Couper, MovDeSonSeulCommeUnSon)
{
    qputenv("QT_MEDIA_BACKEND", "ffmpeg");
    lierFFmpeg();
    Dossier d;
    const QString mov = d.chemin("pcm.mov");
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "sine=f=440:d=4:sample_rate=48000", "-c:a", "pcm_s16le"}, mov));
    QStringList finis;
    ASSERT_TRUE(Outils::ouvrir(QStringLiteral("couper"), mov, [&](const QString& f) { finis << f; }));
    auto* vue = FenetreOutil::ouvertes().last()->findChild<VueCouper*>();
    Passage& p = vue->passage();
    ASSERT_TRUE(attendre([&] { return p.pret() && !p.onde().isEmpty(); }));
    EXPECT_FALSE(p.video());
    EXPECT_TRUE(vue->erreur().isEmpty()) << vue->erreur().toStdString();
    EXPECT_EQ(vue->apercu().height(), 130);
    EXPECT_EQ(vue->apercu().bouton().accessibleName(), "Écouter le passage");
    p.basculer();
    EXPECT_TRUE(p.lit());
    p.tenir(Passage::Bout::debut, 0.25);
    p.tenir(Passage::Bout::fin, 0.75);
    EXPECT_FALSE(p.lit());
    vue->boutons().confirmation().click();
    ASSERT_TRUE(attendre([&] { return !finis.isEmpty(); })) << vue->erreur().toStdString();
    EXPECT_EQ(finis, QStringList{d.chemin("pcm (coupé).mov")});
    // Its edit list gives the length; a decoder keeps at most the rest of the last packet.
    const double secondes = double(echantillons(finis[0]).size()) / 48000;
    EXPECT_GE(secondes, 2.0 - 0.001);
    EXPECT_LE(secondes, 2.0 + 1024.0 / 48000);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// An MP3 cut in half whose Xing header still promises the whole: the window shows the
// length that is there, and a passage chosen on it is what gets cut.
TEST(Couper, Mp3TronqueALaLongueurPresente)
{
    lierFFmpeg();
    Dossier d;
    const QString entier = d.chemin("entier.mp3");
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "sine=f=440:d=10:sample_rate=44100", "-c:a", "libmp3lame", "-q:a", "2"}, entier));
    const QByteArray octets = essais::lire(entier);
    const QString moitie = d.ecrire("moitie.mp3", octets.left(octets.size() / 2));
    // A large cover picture adds bytes, not sound: its length stays.
    const QString couverture = d.chemin("couverture.mp3");
    ASSERT_TRUE(ffmpeg({"-i", entier, "-f", "lavfi", "-i", "testsrc=s=800x800:d=0.04", "-map", "0", "-map", "1",
                        "-c:a", "copy", "-c:v", "png", "-frames:v", "1", "-disposition:v", "attached_pic"}, couverture));
    const struct {
        QString chemin;
        double duree;
    } cas[] = {{entier, 10.03}, {moitie, 5.0}, {couverture, 10.03}};
    for (const auto& c : cas) {
        Modele m(c.chemin);
        Passage& p = *m.p;
        EXPECT_NEAR(p.duree(), c.duree, 0.1) << c.chemin.toStdString();
        ASSERT_TRUE(p.coupable());
        p.tenir(Passage::Bout::debut, 0.5);
        const QString cree = Retouches::couper(c.chemin, p.d0(), p.d1());
        EXPECT_NEAR(double(echantillons(cree).size()) / 44100, p.d1() - p.d0(), 0.1) << c.chemin.toStdString();
        QFile::remove(cree);
    }
}
