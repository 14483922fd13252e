// The writers of the edits: names beside the source, picture types, and the passage roads
// checked by readers that are not ours (vipsheader, file, ffprobe, ffmpeg).
#include "commun/Dossier.h"
#include "conversions/Erreur.h"
#include "conversions/sorties/Sortie.h"
#include "conversions/images/Images.h"
#include "conversions/images/Vips.h"
#include "conversions/media_outils.h"
#include "conversions/petit_disque.h"
#include "fenetres/retouches/Retouches.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>
#include <sndfile.h>

namespace {

QImage peinte(int w = 120, int h = 80)
{
    QImage image(w, h, QImage::Format_RGBX8888);
    image.fill(QColor(40, 90, 200));
    QPainter(&image).fillRect(0, 0, w / 2, h / 2, QColor(250, 220, 30));
    return image;
}

QString lecteur(const QString& programme, const QStringList& arguments)
{
    QString sortie;
    executer(programme, arguments, &sortie);
    return sortie.trimmed();
}

// Refuses anything: the message an edit of `source` must show, with the folder left as it was.
template <typename F>
void refuse(const Dossier& d, const QString& message, F&& f, const QString& source = {})
{
    const QStringList avant = d.noms();
    try {
        f();
        ADD_FAILURE() << "no failure, expected " << message.toStdString();
    } catch (const std::exception& e) {
        EXPECT_EQ(Conversions::descriptionPour(e, source).toStdString(), message.toStdString());
    }
    EXPECT_EQ(d.noms(), avant);
}

std::vector<int> trames(const QString& chemin, sf_count_t de = 0, sf_count_t n = -1, SF_INFO* info = nullptr)
{
    SF_INFO i{};
    SNDFILE* f = sf_open(chemin.toLocal8Bit().constData(), SFM_READ, &i);
    if (!f)
        return {};
    if (n < 0)
        n = i.frames - de;
    sf_seek(f, de, SEEK_SET);
    std::vector<int> v(static_cast<size_t>(n * i.channels));
    v.resize(static_cast<size_t>(sf_readf_int(f, v.data(), n) * i.channels));
    sf_close(f);
    if (info)
        *info = i;
    return v;
}

} // namespace

TEST(Retouches, ImagesBesideTheirSource)
{
    Dossier d;
    const struct {
        const char* source;
        const char* attendu;
        const char* lecteur;  // what `file` says of it
    } cas[] = {
        {"photo.jpg", "photo (rognée).jpg", "JPEG image data"},
        {"PHOTO.JPG", "PHOTO (rognée).jpg", "JPEG image data"},
        {"photo.webp", "photo (rognée).webp", "Web/P image"},
        {"image.bmp", "image (rognée).png", "PNG image data"},  // not a type we write
        {"photo.png", "photo (rognée).png", "PNG image data"},
        {"photo.tif", "photo (rognée).tif", "TIFF image data"},
    };
    for (const auto& c : cas) {
        const QString source = d.ecrire(QString::fromUtf8(c.source), "x");
        const QString cree = Retouches::enregistrer(peinte(), source, QStringLiteral("rognée"));
        EXPECT_EQ(cree, d.chemin(QString::fromUtf8(c.attendu)));
        EXPECT_TRUE(lecteur("file", {"-b", cree}).contains(QLatin1String(c.lecteur))) << c.source;
        EXPECT_EQ(lecteur("vipsheader", {cree}).section(':', 1).trimmed().left(15), QStringLiteral("120x80 uchar, 3")) << c.source;
    }
    // A second edit of the same photo never touches the first one.
    const QByteArray premier = essais::lire(d.chemin("photo (rognée).jpg"));
    EXPECT_EQ(Retouches::enregistrer(peinte(), d.chemin("photo.jpg"), QStringLiteral("rognée")),
              d.chemin("photo (rognée) 2.jpg"));
    EXPECT_EQ(essais::lire(d.chemin("photo (rognée).jpg")), premier);
    EXPECT_TRUE(lecteur("identify", {"-format", "%Q", d.chemin("photo (rognée) 2.jpg")}).startsWith("92"));

    // A full disk: said as such, nothing left behind.
    const QString grande = d.chemin("grande.png");
    peinte(1600, 1200).save(grande);
    refuse(d, sansPlace("grande.png"), [&] {
        DisquePlein plein(4096);
        QImage bruyante = peinte(1600, 1200);
        for (int y = 0; y < bruyante.height(); ++y)
            for (int x = 0; x < bruyante.width(); ++x)
                bruyante.setPixel(x, y, qRgb((x * 7919 + y) % 256, (y * 31) % 256, (x * y) % 256));
        Retouches::enregistrer(bruyante, grande, QStringLiteral("retouchée"));
    }, grande);
}

TEST(Retouches, UnePhotoTourneeResteDroite)
{
    // A camera photo held upright: 120 × 80 pixels stored, EXIF orientation 6 (turn right).
    Dossier d;
    const QString source = d.chemin("tournee.jpg");
    Conversions::vipsPret();
    QImage pixels = peinte();
    vips::VImage stockee = Conversions::depuisQImage(pixels).extract_band(0, vips::VImage::option()->set("n", 3)).copy();
    stockee.set("orientation", 6);
    stockee.jpegsave(source.toLocal8Bit().constData());
    ASSERT_EQ(lecteur("vipsheader", {"-f", "orientation", source}), "6");

    // The window shows and saves it turned; the new file has the turned pixels and no
    // orientation left to apply twice.
    const QString cree = Retouches::enregistrer(Conversions::redressee(source), source, QStringLiteral("annotée"));
    EXPECT_EQ(lecteur("vipsheader", {"-f", "width", cree}), "80");
    EXPECT_EQ(lecteur("vipsheader", {"-f", "height", cree}), "120");
    EXPECT_FALSE(lecteur("vipsheader", {"-a", cree}).contains("orientation: 6"));
    EXPECT_FALSE(lecteur("vipsheader", {"-a", cree}).contains("exif-"));
}

// A full disk (each new temporary a link to /dev/full): every writer of the edits says so,
// naming the file edited, and leaves nothing.
TEST(Retouches, UnDisquePleinNommeLaSortie)
{
    lierFFmpeg();
    Dossier d;
    const QString wav = d.chemin("son.wav");
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "sine=d=2"}, wav));
    const QString mp4 = clip(d.chemin("film.mp4"), "160x120", 2, true, x264);
    Conversions::Sortie::preparerLesTemporaires([](const QString& t) { QFile::link("/dev/full", t); });
    for (const char* extension : {"jpg", "png", "heic", "webp", "tiff"}) {
        const QString source = d.chemin(QStringLiteral("photo.") + extension);
        refuse(d, sansPlace(QFileInfo(source).fileName()),
               [&] { Retouches::enregistrer(peinte(), source, QStringLiteral("rognée")); }, source);
    }
    refuse(d, sansPlace("son.wav"), [&] { Retouches::couper(wav, 0.5, 1.5); }, wav);
    refuse(d, sansPlace("film.mp4"), [&] { Retouches::couper(mp4, 0.5, 1.5); }, mp4);
    Conversions::Sortie::preparerLesTemporaires({});
}

// No picture to write (one too large to be made): the failure names the file the user would
// have got, in the type it would have had, and nothing is written.
TEST(Retouches, SansImageLEchecNommeLaSortie)
{
    Dossier d;
    const std::pair<const char*, const char*> cas[] = {
        {"photo.jpg", "photo (rognée).jpg"}, {"photo.webp", "photo (rognée).webp"}, {"photo.bmp", "photo (rognée).png"}};
    for (const auto& [source, sortie] : cas)
        refuse(d, inecrivable(QString::fromUtf8(sortie)),
               [&] { Retouches::enregistrer(QImage(), d.chemin(source), QStringLiteral("rognée")); });
}

// A disk with a little room left: a passage copied by ffmpeg whose end does not fit (its index,
// written last) is refused under its own name, and nothing is left.
class RetouchesDisquePlein : public PetitDisque {};

TEST_F(RetouchesDisquePlein, UnPassageCoupeCourtNEstPasCree)
{
    lierFFmpeg();
    Dossier sources;
    const QStringList bruite{"-f", "lavfi", "-i", "testsrc=size=320x240:rate=10:duration=4", "-f", "lavfi", "-i",
                             "anoisesrc=sample_rate=44100:duration=4", "-vf", "noise=alls=40:allf=t", "-shortest",
                             "-g", "10"};
    ASSERT_TRUE(ffmpeg(bruite + x264 + QStringList{"-c:a", "aac"}, sources.chemin("film.mov")));
    ASSERT_TRUE(ffmpeg(bruite + x264 + QStringList{"-c:a", "flac"}, sources.chemin("film.mkv")));
    if (!monter("8m"))
        GTEST_SKIP() << "no right to mount a small file system here";
    for (const char* nom : {"film.mov", "film.mkv"})
        ASSERT_TRUE(QFile::copy(sources.chemin(nom), d.chemin(nom)));
    for (const qint64 libre : {64 << 10, 4 << 10}) {
        remplir(libre);
        for (const char* extension : {"mov", "mkv"}) {
            SCOPED_TRACE(std::to_string(libre) + " " + extension);
            const QString source = d.chemin(QStringLiteral("film.") + extension);
            refuse(d, sansPlace(QFileInfo(source).fileName()), [&] { Retouches::couper(source, 0.5, 3.5); }, source);
        }
        QFile::remove(d.chemin(".plein"));
    }
}

TEST(Retouches, PassagesDesSons)
{
    lierFFmpeg();
    Dossier d;
    // 3 s of 44.1 kHz stereo in 24 bits, and the same in FLAC 16 bits and AIFF.
    const QString wav = d.chemin("son.wav"), flac = d.chemin("son.flac"), aiff = d.chemin("son.aiff");
    const QStringList souffle{"-f", "lavfi", "-i", "anoisesrc=sample_rate=44100:amplitude=0.4:duration=3", "-ac", "2"};
    ASSERT_TRUE(ffmpeg(souffle + QStringList{"-c:a", "pcm_s24le"}, wav));
    ASSERT_TRUE(ffmpeg(souffle + QStringList{"-c:a", "flac", "-sample_fmt", "s16"}, flac));
    ASSERT_TRUE(ffmpeg(souffle + QStringList{"-c:a", "pcm_s16be"}, aiff));

    for (const QString& source : {wav, flac, aiff}) {
        const QString cree = Retouches::couper(source, 0.5, 1.5);
        const QFileInfo info(source);
        EXPECT_EQ(cree, d.chemin(info.completeBaseName() + " (coupé)." + info.suffix()));
        SF_INFO avant{}, apres{};
        trames(source, 0, 1, &avant);
        const std::vector<int> copie = trames(cree, 0, -1, &apres);
        // The source's format, depth and rate; exactly 44 100 frames from frame 22 050.
        EXPECT_EQ(apres.format, avant.format);
        EXPECT_EQ(apres.samplerate, 44100);
        EXPECT_EQ(apres.frames, 44100);
        EXPECT_TRUE(copie == trames(source, 22050, 44100)) << source.toStdString();
        EXPECT_EQ(sonde(cree).value("streams").toArray().first().toObject().value("bits_per_raw_sample").toString(),
                  sonde(source).value("streams").toArray().first().toObject().value("bits_per_raw_sample").toString());
    }
    // An end past the file's length stops at its last frame.
    EXPECT_EQ(trames(Retouches::couper(wav, 2.5, 60)).size(), 22050u * 2);

    // An empty passage, an unreadable source, a write that fails midway: nothing is left.
    refuse(d, QStringLiteral("Le passage choisi est vide"), [&] { Retouches::couper(wav, 1.5, 1.5); });
    refuse(d, QStringLiteral("Le passage choisi est vide"), [&] { Retouches::couper(wav, 2, 1); });
    const QString faux = d.ecrire("faux.wav", bruit(5000));
    refuse(d, illisible("faux.wav"), [&] { Retouches::couper(faux, 0, 1); });
    refuse(d, illisible("parti.wav"), [&] { Retouches::couper(d.chemin("parti.wav"), 0, 1); });
    refuse(d, sansPlace("son.wav"), [&] {
        DisquePlein plein(16384);
        Retouches::couper(wav, 0, 3);
    }, wav);
}

TEST(Retouches, PassagesParFFmpeg)
{
    lierFFmpeg();
    EXPECT_EQ(Retouches::argumentsCopie("/a/b.mkv", 1.5, 4, "/a/c.mkv"),
              (QStringList{"-ss", "1.500", "-i", "/a/b.mkv", "-t", "2.500", "-map", "0", "-c", "copy", "/a/c.mkv"}));

    Dossier d;
    const QString mov = clip(d.chemin("film.mov"), "320x240", 4, true, x264 + QStringList{"-g", "10", "-c:a", "aac"});
    const QString mkv = clip(d.chemin("film.mkv"), "320x240", 4, true, x264 + QStringList{"-g", "10", "-c:a", "flac"});
    const QString mp3 = d.chemin("chanson.mp3");
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "sine=frequency=440:duration=4", "-c:a", "libmp3lame"}, mp3));

    const struct {
        QString source;
        QString attendu;
    } cas[] = {
        {mov, d.chemin("film (coupée).mov")},
        {mkv, d.chemin("film (coupée).mkv")},
        {mp3, d.chemin("chanson (coupé).mp3")},
    };
    for (const auto& c : cas) {
        const QString cree = Retouches::couper(c.source, 1.0, 2.0);
        EXPECT_EQ(cree, c.attendu);
        // Copied, not re-encoded: the same codecs and about a second long.
        EXPECT_EQ(codecs(cree), codecs(c.source)) << c.source.toStdString();
        EXPECT_NEAR(duree(sonde(cree)), 1.0, 0.15) << c.source.toStdString();
    }
    // A second passage of the same film leaves the first one alone.
    EXPECT_EQ(Retouches::couper(mov, 1.0, 2.0), d.chemin("film (coupée) 2.mov"));

    // A damaged film that ffmpeg cannot open: unreadable, and no partial file.
    const QString casse = d.ecrire("casse.mp4", essais::lire(mov).left(3000));
    refuse(d, QStringLiteral("Impossible de lire « casse.mp4 »"), [&] { Retouches::couper(casse, 0.5, 1.5); });
}

namespace {

// A tone from 3 to 7 s between silences, 48 kHz mono: where it starts and stops in a decoded
// passage tells which source time the passage's first sample is.
QString tonAuMilieu(const QString& chemin, const QStringList& codec)
{
    ffmpeg(QStringList{"-f", "lavfi", "-i", "aevalsrc='if(between(t,3,7),0.5*sin(2*PI*440*t),0)':s=48000:d=10"} + codec,
           chemin);
    return chemin;
}

struct Decode {
    double debut = -1;  // the source's time of the first decoded sample
    double fin = -1;    // and of the end of the last
};

// Decoded by ffmpeg: the tone's start in the passage against its start in the source.
Decode decode(const QString& passage, const QString& source)
{
    const auto attaque = [](const std::vector<float>& s) {
        const auto i = std::find_if(s.begin(), s.end(), [](float v) { return std::abs(v) > 0.1f; });
        return double(i - s.begin()) / 48000;
    };
    const std::vector<float> p = echantillons(passage), s = echantillons(source);
    if (p.empty() || s.empty())
        return {};
    const double debut = attaque(s) - attaque(p);
    return {debut, debut + double(p.size()) / 48000};
}

} // namespace

// The sounds that only ffmpeg reads are copied from the packets around the passage: decoded,
// they start within a packet of its start and end within one of its end; Opus, whose header
// drops what comes before, to the sample.
TEST(Retouches, PassagesDesSonsParPaquets)
{
    lierFFmpeg();
    Dossier d;
    const struct {
        QString nom;
        QStringList codec;
        double paquet;  // the longest packet's sound, in seconds
    } sons[] = {
        {"vorbis.ogg", {"-c:a", "libvorbis"}, 1024.0 / 48000},
        {"vorbis.oga", {"-c:a", "libvorbis"}, 1024.0 / 48000},
        {"voix.opus", {"-c:a", "libopus"}, 0.001},
        {"opus.ogg", {"-c:a", "libopus"}, 0.001},
        {"ancien.wma", {"-c:a", "wmav2"}, 2048.0 / 48000},
    };
    const std::pair<double, double> passages[] = {{2.5, 7.5}, {2.51, 6.99}, {0.03, 4.2}, {1.37, 9.99}};
    for (const auto& s : sons) {
        const QString source = tonAuMilieu(d.chemin(s.nom), s.codec);
        for (const auto& [de, a] : passages) {
            const QString cree = Retouches::couper(source, de, a);
            EXPECT_EQ(codecs(cree), codecs(source));
            const Decode m = decode(cree, source);
            EXPECT_NEAR(m.debut, de, s.paquet) << s.nom.toStdString() << " " << de << "–" << a;
            EXPECT_NEAR(m.fin, a, s.paquet) << s.nom.toStdString() << " " << de << "–" << a;
            QFile::remove(cree);
        }
    }
}
