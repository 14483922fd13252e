// Huge pictures under a bound on memory: what can go in strips or reduced goes, what must
// be held whole and does not fit is refused by name, leaving nothing behind.

#include "conversions/images/images_fabrique.h"
#include "conversions/images/Images.h"
#include "conversions/images/Isnet.h"
#include "conversions/borne_memoire.h"
#include "conversions/travail/Reserve.h"
#include "conversions/images/Vips.h"

#include <sys/resource.h>
#include <unistd.h>

using namespace essais;

namespace {

constexpr qint64 Mo = 1 << 20;

// A PNG of one orange, made by libvips' command line.
QString uni(const Dossier& d, const QString& nom, int largeur, int hauteur)
{
    const QString noir = d.chemin("noir.v");
    sortieDe("vips", {"black", noir, QString::number(largeur), QString::number(hauteur), "--bands", "3"});
    sortieDe("vips", {"linear", noir, d.chemin(nom), "1 1 1", "200 120 40", "--uchar"});
    QFile::remove(noir);
    return d.chemin(nom);
}

const QString tropGrand = QStringLiteral("« grande.png » est trop grand");

// A TIFF of a few hundred bytes whose header declares `largeur` × `hauteur` RGBA of `bits`
// bits a sample in one uncompressed strip, whose data is not in the file.
QByteArray tiffSansDonnees(quint32 largeur, quint32 hauteur, quint16 bits)
{
    const quint32 octets = quint32(quint64(largeur) * hauteur * 4 * bits / 8);
    return tiffDeChamps({champLong(256, largeur), champLong(257, hauteur), champCourt(258, 4, bits),
                         champCourt(259, 1, 1), champCourt(262, 1, 2), champLong(273, 0), champCourt(277, 1, 4),
                         champLong(278, hauteur), champLong(279, octets), champCourt(284, 1, 1),
                         champCourt(338, 1, 2)},
                        QByteArray());
}

} // namespace

TEST(Memoire, LesConversionsEnCoursSePartagentLaMemoire)
{
    const Borne borne(100 * Mo);  // three quarters of it may be set aside
    std::optional<Conversions::Reserve> premiere = Conversions::Reserve::essayer(50 * Mo);
    ASSERT_TRUE(premiere);
    EXPECT_FALSE(Conversions::Reserve::essayer(50 * Mo));
    try {
        Conversions::Reserve seconde(50 * Mo, QStringLiteral("/ailleurs/grande.png"));
        ADD_FAILURE() << "réservée au-delà de la borne";
    } catch (const Conversions::Erreur& e) {
        EXPECT_EQ(e.message(), tropGrand);
    }
    premiere.reset();
    EXPECT_TRUE(Conversions::Reserve::essayer(50 * Mo));
}

TEST(Memoire, CeQuiDoitTenirEntierEtNeTientPasEstRefuse)
{
    Dossier d;
    const QString grande = uni(d, "grande.png", 4000, 4000);  // HEIC needs some 250 Mo, WebP 45
    const Borne borne(32 * Mo);
    for (const QString cible : {"heic", "webp"}) {
        SCOPED_TRACE(cible.toStdString());
        echoue(d, {grande}, cible, {tropGrand});
    }
}

TEST(Memoire, CeQuiPasseParBandesPasseSousLaBorne)
{
    Dossier d;
    const QString grande = uni(d, "grande.png", 4000, 4000);
    const QString optimise = convertirSeul(grande, "jpg");
    const Borne borne(64 * Mo);
    // Its optimised tables would need every coefficient at once: written in one pass instead.
    const QString jpeg = convertirSeul(grande, "jpg");
    EXPECT_EQ(tailleImage(jpeg), QSize(4000, 4000));
    EXPECT_GT(QFileInfo(jpeg).size(), QFileInfo(optimise).size());
    const QColor lu = decoder(jpeg).pixelColor(3999, 3999);
    EXPECT_NEAR(lu.red(), 200, 3);
    EXPECT_NEAR(lu.green(), 120, 3);
    EXPECT_NEAR(lu.blue(), 40, 3);
    for (const QString cible : {"png", "pdf"}) {
        SCOPED_TRACE(cible.toStdString());
        const QString sortie = convertirSeul(grande, cible);
        EXPECT_EQ(cible == "pdf" ? taillePage(sortie, 1).toSize() : tailleImage(sortie), QSize(4000, 4000));
    }
}

// The subject is sought on a reduced copy; the cut-out keeps the photo's whole size and
// its edge where the photo has it.
TEST(Memoire, LeDetourDUneGrandePhotoGardeSaTailleEtSesBords)
{
    Conversions::Isnet::imposerChemin(QStringLiteral("/nonexistent/isnet.onnx"));
    Dossier d;
    QImage photo(6000, 4000, QImage::Format_RGB32);
    photo.fill(QColor(235, 230, 220));
    {
        QPainter p(&photo);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 60, 160));
        p.drawEllipse(QPoint(3000, 2000), 1200, 1200);
    }
    const QString source = ecrire(d, "grande.png", photo);
    photo = QImage();
    const QImage decoupe = QImage(convertirSeul(source, "detour")).convertToFormat(QImage::Format_ARGB32);
    Conversions::Isnet::imposerChemin({});
    ASSERT_EQ(decoupe.size(), QSize(6000, 4000));
    EXPECT_EQ(decoupe.pixel(10, 10), 0u);  // transparent, colour included
    EXPECT_EQ(qAlpha(decoupe.pixel(5990, 3990)), 0);
    EXPECT_EQ(decoupe.pixel(3000, 2000), qRgba(30, 60, 160, 255));
    // The edge lies where the disc's does, on every side, within what the classical road
    // sees at its working size (a pixel there is a dozen here).
    for (const QPoint& pas : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
        EXPECT_EQ(qAlpha(decoupe.pixel(QPoint(3000, 2000) + pas * 1160)), 255);
        EXPECT_EQ(qAlpha(decoupe.pixel(QPoint(3000, 2000) + pas * 1240)), 0);
    }
}

// Read reduced to an A4 page at 600 dpi: the letters stay large enough.
TEST(Memoire, LeTexteDUneTresGrandeImageEstLu)
{
    Dossier d;
    QImage page(9000, 7000, QImage::Format_Grayscale8);
    page.fill(255);
    {
        QPainter p(&page);
        p.setFont(grande(160));
        p.setPen(Qt::black);
        p.drawText(600, 3000, QStringLiteral("Bonjour le monde"));
    }
    const QString source = ecrire(d, "grande.png", page);
    page = QImage();
    EXPECT_EQ(lire(convertirSeul(source, "ocr")).trimmed(), "Bonjour le monde");
}

// Strips turned into the encoder's planes one after another give the file that a whole
// import gives: odd sides, opaque strips above strips with transparency.
TEST(Memoire, UnWebPFaitParBandesEstCeluiDeLImageEntiere)
{
    Dossier d;
    QImage image(301, 257, QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgba(x % 256, (x * y) % 256, y, y < 130 ? 255 : (x * 7) % 256));
    const QString sortie = convertirSeul(ecrire(d, "bandes.png", image), "webp");
    EXPECT_EQ(lire(sortie), Conversions::webp(image, 82.0f));
}

// Such a header of odd samples asks the memory it would fill before anything is allocated:
// refused by its size at once when memory is short, else at its first strip, with nothing
// left behind.
TEST(Memoire, UnTiffGeantSansDonneesEstRefuseAvantDEtreLu)
{
    Dossier d;
    const QStringList noms{"large.tif", "carre.tif"};
    d.ecrire(noms[0], tiffSansDonnees(300'000'000, 1, 15));
    d.ecrire(noms[1], tiffSansDonnees(17'000, 17'000, 12));
    ASSERT_LT(QFileInfo(d.chemin(noms[1])).size(), 400);
    EXPECT_TRUE(sortieDe("tiffinfo", {d.chemin(noms[1])}).contains("Image Width: 17000 Image Length: 17000"));
    const char* petales[] = {"jpg", "png", "heic", "webp", "leger", "pdf", "ocr", "detour"};
    {
        const Borne borne(1024 * Mo);
        for (const QString& nom : noms)
            for (const char* id : petales) {
                SCOPED_TRACE(nom.toStdString() + " → " + id);
                echoue(d, {d.chemin(nom)}, id, {QStringLiteral("« %1 » est trop grand").arg(nom)});
            }
    }
    const Borne borne(qint64(64) << 30);
    for (const QString& nom : noms)
        for (const char* id : petales) {
            SCOPED_TRACE(nom.toStdString() + " → " + id);
            echoue(d, {d.chemin(nom)}, id, {illisible(nom)});
        }
}

namespace {

// A GIF of a few dozen bytes whose one frame declares `cote` × `cote` pixels and holds two.
QByteArray gifSansDonnees(quint16 cote)
{
    QByteArray o("GIF89a", 6);
    ajouter(o, cote);
    ajouter(o, cote);
    o.append("\x80\x00\x00" "\x00\x00\x00\xff\xff\xff", 9);
    o.append(',');
    for (quint16 v : {quint16(0), quint16(0), cote, cote})
        ajouter(o, v);
    o.append("\x00\x02\x02\x44\x01\x00;", 8);
    return o;
}

} // namespace

// libnsgif holds its frame whole (four bytes a pixel) from the moment the file is opened to
// the end of the conversion, set aside all that time: what fits the frame converts (the PDF's
// two passes one after the other); what holds it beside the encoder's planes is refused
// before they are allocated.
TEST(Memoire, LeCadreDUnGifResteMisDeCoteTantQuIlSert)
{
    Dossier d;
    const QString source = d.ecrire("cadre.gif", gifSansDonnees(6000));  // 144 MB a frame
    ASSERT_LT(QFileInfo(source).size(), 40);
    EXPECT_EQ(champVips(source, "width"), "6000");
    const Borne borne(300 * Mo);  // 225 MB may be set aside
    {
        const vips::VImage ouverte = Conversions::ouvrirImage(source);
        EXPECT_FALSE(Conversions::Reserve::essayer(100 * Mo)) << "the frame is held";
    }
    EXPECT_TRUE(Conversions::Reserve::essayer(100 * Mo));
    const QString tropGrand = QStringLiteral("« cadre.gif » est trop grand");
    const struct {
        const char* id;
        QString erreur;  // none: converted
    } cas[] = {{"jpg", {}}, {"png", {}}, {"leger", {}}, {"ocr", QStringLiteral("Aucun texte dans « cadre.gif »")},
               {"detour", QStringLiteral("Aucun sujet trouvé dans « cadre.gif »")}, {"webp", tropGrand},
               {"pdf", {}}, {"heic", tropGrand}};
    for (const auto& c : cas) {
        SCOPED_TRACE(c.id);
        if (c.erreur.isEmpty())
            QFile::remove(convertirSeul(source, c.id));
        else
            echoue(d, {source}, c.id, {c.erreur});
    }
}

namespace {

// What is taken of the process's address space, in bytes.
qint64 espacePris()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    return f.open(QIODevice::ReadOnly) ? f.readLine().split(' ').first().toLongLong() * sysconf(_SC_PAGESIZE) : 0;
}

} // namespace

// Under a bound on the address space (ulimit -v), which the machine's free memory does not
// show, a frame of 1.16 GB is refused by its size instead of ending the application when its
// decoder's allocation fails (GLib aborts then).
TEST(Memoire, SousUneBorneDEspaceLeGrandGifEstRefuseSansMourir)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    Dossier d;
    const QString source = d.ecrire("geant.gif", gifSansDonnees(17'000));
    const auto convertir = [&] {
        const rlim_t borne = static_cast<rlim_t>(espacePris() + (qint64(1) << 30));
        const rlimit limite{borne, borne};
        setrlimit(RLIMIT_AS, &limite);
        for (const char* id : {"pdf", "jpg"}) {
            const Conversions::Resultat r = Conversions::convertir({source}, QString::fromLatin1(id), {});
            if (r.erreurs != QStringList{"« geant.gif » est trop grand"} || !r.crees.isEmpty())
                std::_Exit(1);
        }
        std::_Exit(0);
    };
    EXPECT_EXIT(convertir(), testing::ExitedWithCode(0), "");
    EXPECT_EQ(d.noms(), QStringList{"geant.gif"});
}

// HEIC's planes (three bytes a pixel) are allocated once the first row is read: headers of a
// few dozen bytes that declare 17 000² pixels and hold none fail there, as unreadable, where
// the address space left (half a gigabyte) could not take the planes.
TEST(Memoire, LeHeicLitUneLigneAvantDAllouerSesPlans)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    Dossier d;
    const QStringList noms{"entete.tif", "entete.png"};
    d.ecrire(noms[0], tiffDeChamps({champLong(256, 17'000), champLong(257, 17'000), champCourt(258, 3, 8),
                                    champCourt(259, 1, 1), champCourt(262, 1, 2), champLong(273, 0),
                                    champCourt(277, 1, 3), champLong(278, 17'000), champLong(279, 17'000u * 17'000 * 3)},
                                   QByteArray()));
    pngGeant(d, noms[1], 17'000, 17'000);
    const auto convertir = [&] {
        const Borne borne(qint64(64) << 30);  // the planes are set aside: the bound is the address space's
        const rlim_t limite = static_cast<rlim_t>(espacePris() + (qint64(512) << 20));
        const rlimit espace{limite, limite};
        setrlimit(RLIMIT_AS, &espace);
        for (const QString& nom : noms) {
            const Conversions::Resultat r = Conversions::convertir({d.chemin(nom)}, QStringLiteral("heic"), {});
            if (r.erreurs != QStringList{illisible(nom)}) {
                std::fprintf(stderr, "%s\n", qPrintable(r.erreurs.join(' ')));
                std::_Exit(1);
            }
        }
        std::_Exit(0);
    };
    EXPECT_EXIT(convertir(), testing::ExitedWithCode(0), "");
}
