// A phone's video stored on its side and turned by its display matrix (a quarter, a half,
// three quarters, or mirrored) shows in the trim preview as ffmpeg shows it, both while it
// plays and while a handle holds it; a video whose colour is kept on every pixel (4:4:4), or
// on every other column (4:2:2, which Qt's own conversion without OpenGL overruns), plays in
// its own colours.
#include "commun/Attendre.h"
#include "commun/Dossier.h"
#include "conversions/media_outils.h"
#include "fenetres/couper/ApercuCouper.h"
#include "fenetres/couper/modele/Passage.h"
#include "fenetres/couper/VueCouper.h"

#include <QtEndian>
#include <gtest/gtest.h>

namespace {

// Blue, stored 160 × 90, a red patch at the top left and a green one at the bottom left:
// the two corners they reach on screen tell every turn and flip apart.
QString film(const QString& chemin, const QString& pixels = QStringLiteral("yuv420p"))
{
    ffmpeg({"-f", "lavfi", "-i",
            "color=blue:size=160x90:rate=25:d=3,drawbox=x=0:y=0:w=40:h=30:color=red:t=fill,"
            "drawbox=x=0:y=60:w=40:h=30:color=lime:t=fill",
            "-c:v", "libx264", "-pix_fmt", pixels},
           chemin);
    return chemin;
}

// A copy of `source` whose track header carries `matrice` (the nine numbers of the format).
QString avecMatrice(const QString& source, const QString& chemin, const std::array<qint32, 9>& matrice)
{
    QByteArray octets = lire(source);
    const qsizetype tkhd = octets.indexOf("tkhd");
    EXPECT_GT(tkhd, 0);
    // After the version, the flags, the times, the track, the length and 16 bytes more.
    const qsizetype debut = tkhd + (octets[tkhd + 4] == 1 ? 56 : 44);
    for (int i = 0; i < 9; ++i)
        qToBigEndian(matrice[i], octets.data() + debut + 4 * i);
    QFile f(chemin);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(octets) == octets.size());
    return chemin;
}

// The corners of a picture where red and green stand ("hg", "hd", "bg", "bd").
struct Coins {
    QString rouge, vert;
    bool operator==(const Coins&) const = default;
};

Coins coins(const QImage& image)
{
    const QImage i = image.convertToFormat(QImage::Format_RGB32);
    const int mx = i.width() / 10, my = i.height() / 10;
    const std::pair<QString, QPoint> lieux[] = {{"hg", {mx, my}}, {"hd", {i.width() - 1 - mx, my}},
                                                 {"bg", {mx, i.height() - 1 - my}},
                                                 {"bd", {i.width() - 1 - mx, i.height() - 1 - my}}};
    Coins c;
    for (const auto& [nom, p] : lieux) {
        const QColor couleur = i.pixelColor(p);
        if (couleur.red() > 180 && couleur.green() < 90 && couleur.blue() < 90)
            c.rouge = nom;
        if (couleur.green() > 180 && couleur.red() < 90 && couleur.blue() < 90)
            c.vert = nom;
    }
    return c;
}

std::ostream& operator<<(std::ostream& o, const Coins& c) { return o << "rouge " << qPrintable(c.rouge) << ", vert " << qPrintable(c.vert); }

// The first picture as ffmpeg shows it (turned and flipped by the matrix).
QImage reference(const Dossier& d, const QString& source)
{
    const QString png = d.chemin(QFileInfo(source).completeBaseName() + ".png");
    ffmpeg({"-i", source, "-frames:v", "1"}, png);
    return QImage(png);
}

// The first picture the preview shows once the loaded film plays; null when none comes.
QImage imageJouee(VueCouper& vue)
{
    if (!attendre([&] { return vue.passage().pret(); }, 10000))
        return {};
    vue.passage().lire();
    attendre([&] { return !vue.apercu().image().isNull(); }, 10000);
    return vue.apercu().image();
}

} // namespace

TEST(Portrait, ApercuDroitEnLectureEtTenu)
{
    Dossier d;
    const QString stocke = film(d.chemin("stocke.mp4"));
    struct Cas {
        QString nom;
        QStringList rotation;          // by ffmpeg
        std::array<qint32, 9> miroir;  // else written in the track header
    };
    const Cas cas[] = {
        {"quart", {"-metadata:s:v:0", "rotate=90"}, {}},
        {"demi", {"-metadata:s:v:0", "rotate=180"}, {}},
        {"trois-quarts", {"-metadata:s:v:0", "rotate=270"}, {}},
        {"miroir", {}, {-65536, 0, 0, 0, 65536, 0, 160 << 16, 0, 1 << 30}},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.nom.toStdString());
        const QString source = d.chemin(c.nom + ".mp4");
        if (c.rotation.isEmpty())
            avecMatrice(stocke, source, c.miroir);
        else
            ASSERT_TRUE(ffmpeg(QStringList{"-i", stocke, "-c", "copy"} + c.rotation, source));
        const QImage attendue = reference(d, source);
        ASSERT_FALSE(attendue.isNull());
        const Coins justes = coins(attendue);
        ASSERT_FALSE(justes.rouge.isEmpty() || justes.vert.isEmpty()) << justes;
        ASSERT_NE(justes, (Coins{"hg", "bg"})) << "the matrix was not written";

        VueCouper vue(source, nullptr, {});
        Passage& p = vue.passage();
        // Playing: the player's pictures, turned as ffmpeg turns them.
        const QImage jouee = imageJouee(vue);
        ASSERT_FALSE(jouee.isNull());
        EXPECT_EQ(jouee.width() > jouee.height(), attendue.width() > attendue.height()) << jouee.size().width();
        EXPECT_EQ(coins(jouee), justes);
        // A handle held: the exact picture at the handle, turned alike.
        p.tenir(Passage::Bout::debut, 0.5);
        EXPECT_FALSE(p.lit());
        const qint64 avant = vue.apercu().image().cacheKey();
        ASSERT_TRUE(attendre([&] { return vue.apercu().image().cacheKey() != avant; }, 10000));
        attendre([] { return false; }, 1000);  // the exact picture has come by now
        const QImage tenue = vue.apercu().image();
        EXPECT_EQ(tenue.width() > tenue.height(), attendue.width() > attendue.height());
        EXPECT_EQ(coins(tenue), justes);
        p.fermer();
    }
}

TEST(Portrait, ApercuAuxCouleursDuFilm)
{
    Dossier d;
    for (const QString& pixels : {QStringLiteral("yuv420p"), QStringLiteral("yuv444p"), QStringLiteral("yuvj444p"),
                                  QStringLiteral("yuv422p")}) {
        SCOPED_TRACE(pixels.toStdString());
        const QString source = film(d.chemin(pixels + ".mp4"), pixels);
        VueCouper vue(source, nullptr, {});
        const QImage jouee = imageJouee(vue);
        ASSERT_FALSE(jouee.isNull());
        EXPECT_EQ(jouee.size(), QSize(160, 90));
        EXPECT_EQ(coins(jouee), (Coins{"hg", "bg"}));
        const QColor fond = jouee.pixelColor(120, 45);
        EXPECT_TRUE(fond.blue() > 200 && fond.red() < 50 && fond.green() < 50) << qPrintable(fond.name());
        vue.passage().fermer();
    }
}
