// The learned cut-out on real photos (scikit-image's samples: public domain or CC0), its
// « no subject » rule, and the classical road when the model is missing.

#include "conversions/images/images_fabrique.h"
#include "conversions/images/Isnet.h"
#include "commun/Ecoute.h"

#include <QThread>
#include <ctime>
#include <unistd.h>

using namespace essais;

namespace {

const QString photos = QStringLiteral("/usr/lib/python3/dist-packages/skimage/data/");

QImage photo(const QString& nom)
{
    QImage i(photos + nom);
    EXPECT_FALSE(i.isNull()) << nom.toStdString();
    return i.convertToFormat(QImage::Format_RGB32);
}

// A subject the test knows exactly: a horse's silhouette filled with a cat's fur, set
// on a field of grass. Returns the picture; `masque` receives the silhouette.
QImage chevalSurLHerbe(QImage& masque)
{
    const QImage silhouette = QImage(photos + "horse.png").convertToFormat(QImage::Format_ARGB32);
    const QImage fourrure = photo("chelsea.png").scaled(silhouette.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QImage herbe = QImage(photos + "grass.png").convertToFormat(QImage::Format_RGB32).scaled(640, 480);
    for (int y = 0; y < herbe.height(); ++y)
        for (int x = 0; x < herbe.width(); ++x) {
            const int g = qGray(herbe.pixel(x, y));
            herbe.setPixel(x, y, qRgb(g / 2, g, g / 3));
        }
    masque = QImage(herbe.size(), QImage::Format_Grayscale8);
    masque.fill(0);
    const QPoint coin(120, 100);
    for (int y = 0; y < silhouette.height(); ++y)
        for (int x = 0; x < silhouette.width(); ++x)
            if (qGray(silhouette.pixel(x, y)) < 128 && qAlpha(silhouette.pixel(x, y)) > 128) {
                herbe.setPixel(coin + QPoint(x, y), fourrure.pixel(x, y));
                masque.scanLine(coin.y() + y)[coin.x() + x] = 255;
            }
    return herbe;
}

void coinsTransparents(const QImage& i)
{
    for (const QPoint& p : {QPoint(3, 3), QPoint(i.width() - 4, 3), QPoint(3, i.height() - 4),
                            QPoint(i.width() - 4, i.height() - 4)})
        EXPECT_EQ(qAlpha(i.pixel(p)), 0) << p.x() << "," << p.y();
}

} // namespace

// A close-up cat leaves the frame on three sides and is still a subject.
TEST(DetourAppris, LesPhotosGardentLeurSujet)
{
    ASSERT_TRUE(QFile::exists(Conversions::Isnet::chemin())) << "modèle absent : scripts/dependances.sh";
    struct Cas {
        QString nom;
        QList<QPoint> sujet;  // well inside the subject: opaque
        QList<QPoint> fond;   // corners the subject does not reach: transparent
    };
    const QList<Cas> cas{{"astronaut.png", {{250, 140}, {330, 380}}, {{3, 3}, {508, 3}}},
                         {"coffee.png", {{300, 180}}, {{3, 3}, {596, 3}, {3, 396}, {596, 396}}},
                         {"chelsea.png", {{200, 150}, {300, 230}, {250, 60}}, {{3, 3}, {447, 3}, {447, 296}}},
                         {"rocket.jpg", {{320, 200}}, {{3, 3}, {636, 3}, {636, 423}}}};
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.nom.toStdString());
        Dossier d;
        const QImage image = photo(c.nom);
        const QImage decoupe(convertirSeul(ecrire(d, c.nom, image), "detour"));
        ASSERT_EQ(decoupe.size(), image.size());
        for (const QPoint& p : c.sujet)
            EXPECT_EQ(qAlpha(decoupe.pixel(p)), 255) << p.x() << "," << p.y();
        for (const QPoint& p : c.fond)
            EXPECT_EQ(qAlpha(decoupe.pixel(p)), 0) << p.x() << "," << p.y();
    }
}

TEST(DetourAppris, UnSujetPoseSurUnAutreFond)
{
    Dossier d;
    QImage attendu;
    const QImage image = chevalSurLHerbe(attendu);
    const QString sortie = convertirSeul(ecrire(d, "cheval.png", image), "detour");
    const QImage decoupe(sortie);
    EXPECT_GT(iou(decoupe, attendu), 0.85);
    coinsTransparents(decoupe);
}

TEST(DetourAppris, UnDegradeNAPasDeSujet)
{
    Dossier d;
    QImage image(800, 600, QImage::Format_RGB32);
    QLinearGradient g(0, 0, 800, 600);
    g.setColorAt(0, QColor(40, 90, 170));
    g.setColorAt(1, QColor(230, 190, 120));
    QPainter(&image).fillRect(image.rect(), g);
    echoue(d, {ecrire(d, "degrade.png", image)}, "detour", {"Aucun sujet trouvé dans « degrade.png »"});
}

// Without the model the classical road answers, and the log says so once.
TEST(DetourAppris, SansModeleLaSegmentationClassique)
{
    Dossier d;
    const Ecoute ecoute;
    Conversions::Isnet::imposerChemin(d.chemin("absent.onnx"));
    QImage image = texture(600, 400, 5);
    {
        QPainter p(&image);
        p.setBrush(QColor(220, 30, 160));
        p.drawEllipse(QRect(220, 120, 160, 160));
    }
    const QString source = ecrire(d, "objet.png", image);
    const QImage premiere(convertirSeul(source, "detour"));
    const QImage seconde(convertirSeul(source, "detour"));
    Conversions::Isnet::imposerChemin({});
    for (const QImage& decoupe : {premiere, seconde}) {
        EXPECT_EQ(qAlpha(decoupe.pixel(300, 200)), 255);
        coinsTransparents(decoupe);
    }
    EXPECT_EQ(ecoute.messages("vemo.images"), QStringList{"Modèle de détourage absent (" + d.chemin("absent.onnx") + ") : détourage classique"});
}

// The model starts loading before the photo is decoded: a file that is no picture fails
// as usual, leaving nothing, and the next photo is served by the network it loaded.
TEST(DetourAppris, UnFichierIllisibleEchoueSansTrace)
{
    ASSERT_TRUE(QFile::exists(Conversions::Isnet::chemin()));
    Dossier d;
    QFile f(d.chemin("abimee.jpg"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray("\xff\xd8\xff\xe0 pas une photo", 20).repeated(50));
    f.close();
    echoue(d, {f.fileName()}, "detour", {illisible("abimee.jpg")});
    const QImage decoupe(convertirSeul(ecrire(d, "tasse.png", photo("coffee.png")), "detour"));
    EXPECT_EQ(qAlpha(decoupe.pixel(300, 180)), 255);
    coinsTransparents(decoupe);
}

// The first cut-out loads the network beside the decoding, the second finds it warm:
// both give the same pixels.
TEST(DetourAppris, ChaudOuFroidLeMemeDetour)
{
    Dossier d;
    const QString source = ecrire(d, "chat.png", photo("chelsea.png"));
    const QImage froid = QImage(convertirSeul(source, "detour")).convertToFormat(QImage::Format_RGBA8888);
    const QImage chaud = QImage(convertirSeul(source, "detour")).convertToFormat(QImage::Format_RGBA8888);
    ASSERT_FALSE(froid.isNull());
    EXPECT_EQ(froid, chaud);
    EXPECT_EQ(qAlpha(froid.pixel(250, 150)), 255);
    EXPECT_EQ(qAlpha(froid.pixel(447, 3)), 0);
}

// The network's threads are counted over the whole decoding, this process's own work in
// that window counted as cores it gets back: that work is read in the same ticks as the
// machine's idle time, whoever else is running.
TEST(DetourAppris, NotreTravailSeCompteEnTopsDuSysteme)
{
    const auto processeur = [] {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
    };
    const double tops = static_cast<double>(sysconf(_SC_CLK_TCK));
    const Conversions::Releve avant = Conversions::releve();
    const double debut = processeur();
    volatile double x = 0;
    while (processeur() - debut < 0.5)
        x = x + 1;
    const Conversions::Releve apres = Conversions::releve();
    EXPECT_NEAR(apres.nous - avant.nous, 0.5 * tops, 0.1 * tops);
    EXPECT_GT(apres.total - avant.total, 0.4 * tops);
    const int coeurs = Conversions::coeursLibresDepuis(avant);
    EXPECT_GE(coeurs, 1);
    EXPECT_LE(coeurs, QThread::idealThreadCount());
}
