// A video passage copied without re-encoding plays exactly the passage: ffprobe, which
// honours the edit list, shows the frame that was on screen at the start first and the
// last frame that starts before the end last.
#include "commun/Attendre.h"
#include "commun/Dossier.h"
#include "conversions/media_outils.h"
#include "fenetres/couper/ApercuCouper.h"
#include "fenetres/couper/modele/Lecteur.h"
#include "fenetres/retouches/MontageMp4.h"
#include "fenetres/couper/modele/Passage.h"
#include "fenetres/couper/VueCouper.h"
#include "fenetres/retouches/Retouches.h"

#include <gtest/gtest.h>

namespace {

// 25 frames a second (or `cadence`), a key frame every two seconds, B-frames, and the
// frame's number written in its brightness (2 × number), so that a decoded frame tells
// which it is.
QString film(const QString& chemin, double secondes, int cadence = 25)
{
    ffmpeg({"-f", "lavfi", "-i",
            QStringLiteral("color=c=black:s=160x120:r=%2:d=%1,geq=lum='mod(N*2,256)':cb=128:cr=128")
                .arg(secondes)
                .arg(cadence),
            "-f", "lavfi", "-i", QStringLiteral("sine=f=440:d=%1").arg(secondes), "-c:v", "libx264", "-g",
            QString::number(2 * cadence),
            "-crf", "1", "-pix_fmt", "yuv420p", "-c:a", "aac", "-shortest"},
           chemin);
    return chemin;
}

// The numbers of the frames that ffprobe decodes, in display order (modulo 128).
QList<int> numeros(const QString& chemin)
{
    QString sortie;
    QString filtre = QStringLiteral("movie=%1,signalstats").arg(chemin);
    executer("ffprobe", {"-v", "error", "-f", "lavfi", filtre, "-show_entries", "frame_tags=lavfi.signalstats.YAVG",
                         "-of", "csv=p=0"},
             &sortie);
    QList<int> l;
    for (const QString& ligne : sortie.split('\n', Qt::SkipEmptyParts))
        l << int(std::lround(ligne.toDouble() / 2));
    return l;
}

// A player that shows nothing: every picture on screen comes from the window itself.
struct LecteurAveugle : Lecteur {
    double temps = 0;
    void ouvrir(const QString&) override {}
    void jouer() override {}
    void pause() override {}
    void chercher(double s) override { temps = s; }
    double position() const override { return temps; }
    bool termine() const override { return false; }
};

// The frame number a picture of `film` shows (frames 8 to 117, whose brightness the
// conversion to RGB does not clip).
int numero(const QImage& image)
{
    const QImage gris = image.convertToFormat(QImage::Format_Grayscale8);
    double somme = 0;
    for (int y = 0; y < gris.height(); ++y)
        for (int x = 0; x < gris.width(); ++x)
            somme += gris.constScanLine(y)[x];
    // Back from full-range grey to the video's limited-range brightness.
    const double y = somme / (gris.width() * gris.height()) * 219 / 255 + 16;
    return int(std::lround(y / 2));
}

double dureeVideo(const QString& chemin)
{
    return flux(chemin, "video").value("duration").toString().toDouble();
}

} // namespace

TEST(Montage, PassageVideoALImagePres)
{
    lierFFmpeg();
    Dossier d;
    const QString source = film(d.chemin("film.mp4"), 16);
    const struct {
        double de, a;
        int premiere, derniere;  // frame numbers, 25 a second
    } cas[] = {
        {1.5, 4.0, 37, 99},     // 1.5 s falls inside frame 37 (1.48–1.52)
        {2.0, 4.0, 50, 99},     // on a key frame
        {0.9, 11.2, 22, 279},   // a 10.3 s passage, once 10.46 s long
        {3.33, 3.5, 83, 87},    // a short one between two key frames
    };
    for (const auto& c : cas) {
        const QString cree = Retouches::couper(source, c.de, c.a);
        const QList<int> n = numeros(cree);
        ASSERT_FALSE(n.isEmpty()) << c.de;
        EXPECT_EQ(n.first(), c.premiere % 128) << c.de << "–" << c.a;
        EXPECT_EQ(n.last(), c.derniere % 128) << c.de << "–" << c.a;
        EXPECT_EQ(n.size(), c.derniere - c.premiere + 1) << c.de << "–" << c.a;
        // Within one frame of the asked length, and copied, not re-encoded.
        EXPECT_NEAR(dureeVideo(cree), c.a - c.de, 0.04 + 1e-6) << c.de << "–" << c.a;
        EXPECT_EQ(codecs(cree), codecs(source));
        QFile::remove(cree);
    }
}

// At 30 frames a second no frame starts on a whole millisecond: the edit must stop before
// the frame that starts at the end, in a new MP4 and in a MOV that held an edit list of its
// own (its B-frames' delay).
TEST(Montage, PassageSansImageApresLaFin)
{
    lierFFmpeg();
    Dossier d;
    const QString mp4 = film(d.chemin("trente.mp4"), 22, 30);
    const QString mov = d.chemin("trente.mov");
    ASSERT_TRUE(ffmpeg({"-i", mp4, "-c", "copy"}, mov));
    ASSERT_TRUE(essais::lire(mov).contains("elst"));
    for (const QString& source : {mp4, mov}) {
        const struct {
            double de, a;
            int premiere, derniere;  // frame numbers, 30 a second
        } cas[] = {
            {4.964, 20.396, 148, 611},  // 20.396 is inside frame 611, which ends at 20.400
            {1.0, 2.0, 30, 59},
            {0.51, 7.71, 15, 231},
        };
        for (const auto& c : cas) {
            const QString cree = Retouches::couper(source, c.de, c.a);
            const QList<int> n = numeros(cree);
            ASSERT_FALSE(n.isEmpty()) << c.de;
            EXPECT_EQ(n.size(), c.derniere - c.premiere + 1) << source.toStdString() << " " << c.de << "–" << c.a;
            EXPECT_EQ(n.first(), c.premiere % 128) << c.de;
            EXPECT_EQ(n.last(), c.derniere % 128) << c.a;
            QFile::remove(cree);
        }
    }
}

TEST(Montage, GrilleDesImages)
{
    const QList<double> images{0, 0.04, 0.08, 0.12, 0.16};
    const struct {
        double de, a, debut, fin;
    } cas[] = {
        {0.05, 0.1, 0.04, 0.12},   // from the frame on screen to the end of the last one begun
        {0.04, 0.08, 0.04, 0.08},  // exact frame times stay
        {-1, 0.01, 0, 0.04},
        {0.1, 5, 0.08, 0.2},       // past the last frame: it lasts as long as the one before
    };
    for (const auto& c : cas) {
        const MontageMp4::Bornes b = MontageMp4::aligner(images, c.de, c.a);
        EXPECT_DOUBLE_EQ(b.de, c.debut) << c.de;
        EXPECT_DOUBLE_EQ(b.a, c.fin) << c.a;
    }
    const MontageMp4::Bornes sans = MontageMp4::aligner({}, 1.25, 2.5);
    EXPECT_EQ(sans.de, 1.25);
    EXPECT_EQ(sans.a, 2.5);
}

// Dragging a handle shows the very frame on screen at the handle's time, not a key frame or
// a neighbour near it.
TEST(Montage, PoigneesMontrentLImageExacte)
{
    lierFFmpeg();
    Dossier d;
    const QString source = film(d.chemin("film.mp4"), 8);
    VueCouper vue(source, nullptr, {}, std::make_unique<LecteurAveugle>());
    Passage& p = vue.passage();
    ASSERT_TRUE(attendre([&] { return p.pret(); }));
    const struct {
        Passage::Bout bout;
        double t;
        int image;
    } cas[] = {
        {Passage::Bout::debut, 1.5, 37},   // inside frame 37 (1.48–1.52), two key frames away from 0
        {Passage::Bout::fin, 4.4, 110},    // exactly on frame 110
        {Passage::Bout::debut, 3.97, 99},  // just before frame 100
    };
    for (const auto& c : cas) {
        p.tenir(c.bout, c.t / p.duree());
        ASSERT_TRUE(attendre([&] { return !vue.apercu().image().isNull() && numero(vue.apercu().image()) == c.image % 128; }, 10000))
            << c.t << ": shows frame " << (vue.apercu().image().isNull() ? -1 : numero(vue.apercu().image()));
    }
}

// A sound alone in MP4: the edit list gives the passage's length; a decoder keeps at most
// the rest of the last packet of 1024 samples.
TEST(Montage, PassageSonoreM4a)
{
    lierFFmpeg();
    Dossier d;
    const QString source = d.chemin("chanson.m4a");
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "sine=f=440:sample_rate=44100:d=6", "-c:a", "aac"}, source));
    const QString cree = Retouches::couper(source, 1.0, 2.5);
    EXPECT_EQ(codecs(cree), codecs(source));
    const std::vector<float> s = echantillons(cree);  // decoded by ffmpeg, the edit list applied
    EXPECT_NEAR(double(s.size()) / 44100, 1.5 + 512.0 / 44100, 512.0 / 44100);
    EXPECT_NEAR(flux(cree, "audio").value("duration").toString().toDouble(), 1.5, 0.005);
}
