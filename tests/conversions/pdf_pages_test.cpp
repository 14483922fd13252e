// A PDF's pages as pictures, and as PDFs of their own.

#include "commun/Echantillons.h"
#include "pdf_outils.h"

#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <sys/stat.h>
#include <thread>

using namespace essais;
using namespace PdfOutils;

namespace {

TEST(PdfPages, UnePageA4A300Points)
{
    for (const QString& format : {QStringLiteral("png"), QStringLiteral("jpg")}) {
        SCOPED_TRACE(format.toStdString());
        Dossier d;
        // An A4 page with a red square in its top-left corner, on nothing (transparent).
        const QString source = d.chemin(QStringLiteral("report.pdf"));
        {
            QPdfWriter writer(source);
            writer.setResolution(72);
            writer.setPageSize(QPageSize(QPageSize::A4));
            writer.setPageMargins(QMarginsF(0, 0, 0, 0));
            QPainter(&writer).fillRect(QRectF(0, 0, 100, 100), QColor(220, 20, 20));
        }
        const QString image = convertirSeul(source, format);
        EXPECT_EQ(image, d.chemin(QStringLiteral("report.") + format));
        EXPECT_EQ(tailleImage(image), QSize(2479, 3508));
        const QImage page(image);
        // 100 points is 416 pixels: inside the square red, outside white (not black).
        const QColor rouge = page.pixelColor(200, 200);
        EXPECT_TRUE(std::abs(rouge.red() - 220) <= 6 && rouge.green() <= 26 && rouge.blue() <= 26);
        for (const QPoint p : {QPoint(450, 450), QPoint(2478, 3507), QPoint(1200, 60)})
            EXPECT_EQ(page.pixelColor(p), QColor(Qt::white)) << p.x() << "," << p.y();
        EXPECT_EQ(d.noms().size(), 2);
    }
}

TEST(PdfPages, TroisPagesNumeroteesDansLOrdre)
{
    Dossier d;
    const QString source = pdf(d.chemin(QStringLiteral("report.pdf")),
                               {QSizeF(72, 36), QSizeF(36, 72), QSizeF(144, 72)}, {});
    d.ecrire(QStringLiteral("report page 2.jpg"), "pris");
    const QStringList crees = Conversions::convertirUn(source, QStringLiteral("jpg"));
    ASSERT_EQ(crees, (QStringList{d.chemin(QStringLiteral("report page 1.jpg")),
                                  d.chemin(QStringLiteral("report page 2 2.jpg")),
                                  d.chemin(QStringLiteral("report page 3.jpg"))}));
    EXPECT_EQ(tailleImage(crees[0]), QSize(300, 150));
    EXPECT_EQ(tailleImage(crees[1]), QSize(150, 300));
    EXPECT_EQ(tailleImage(crees[2]), QSize(600, 300));
}

// A page too large to draw is refused; the pages written before it stay.
TEST(PdfPages, LesPagesEcritesAvantUnEchecRestent)
{
    Dossier d;
    const QString source = pdf(d.chemin(QStringLiteral("mixte.pdf")),
                               {QSizeF(72, 72), QSizeF(72, 72), QSizeF(14000, 14000), QSizeF(72, 72)}, {});
    EXPECT_EQ(echec(source, QStringLiteral("jpg")), illisible(QStringLiteral("mixte.pdf")));
    EXPECT_EQ(d.noms(), (QStringList{QStringLiteral("mixte page 1.jpg"), QStringLiteral("mixte page 2.jpg"),
                                     QStringLiteral("mixte.pdf")}));
    EXPECT_EQ(tailleImage(d.chemin(QStringLiteral("mixte page 2.jpg"))), QSize(300, 300));
}

// Only an owner password: the pages open for reading, from a worker thread as in the app.
TEST(PdfPages, ProprietaireSeulDepuisUnFilDeTravail)
{
    Dossier d;
    QTemporaryDir ailleurs;
    const QString source = chiffrer(pdf(ailleurs.filePath(QStringLiteral("c.pdf")), {QSizeF(72, 72), QSizeF(36, 36)}, {}),
                                    d.chemin(QStringLiteral("restreint.pdf")), QString(), QStringLiteral("o"));
    Conversions::Resultat res;
    std::thread fil([&] { res = Conversions::convertir({source}, QStringLiteral("png"), {}); });
    fil.join();
    ASSERT_EQ(res.crees, (QStringList{d.chemin(QStringLiteral("restreint page 1.png")),
                                      d.chemin(QStringLiteral("restreint page 2.png"))}));
    EXPECT_EQ(tailleImage(res.crees[1]), QSize(150, 150));
}

// Without a page, damaged, a pipe (would keep a reader waiting for ever) or locked: named,
// nothing written, whatever the petal.
TEST(PdfPages, PdfIllisibles)
{
    Dossier d;
    QTemporaryDir ailleurs;
    const QString vide = sansPage(d.chemin(QStringLiteral("vide.pdf")));
    const QString bruit = d.ecrire(QStringLiteral("bruit.pdf"), QByteArray(4096, '\xA5'));
    const QString tube = d.chemin(QStringLiteral("tube.pdf"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(tube).constData(), 0600), 0);
    const QString secret = chiffrer(Echantillons::pdf(ailleurs.filePath(QStringLiteral("c.pdf")), 1),
                                    d.chemin(QStringLiteral("secret.pdf")), QStringLiteral("u"), QStringLiteral("o"));
    const QStringList avant = d.noms();
    for (const QString& format : {QStringLiteral("jpg"), QStringLiteral("png"), QStringLiteral("txt"),
                                 QStringLiteral("docx"), QStringLiteral("separer")}) {
        SCOPED_TRACE(format.toStdString());
        const auto res = Conversions::convertir({vide, bruit, tube, secret}, format, {});
        // Splitting reads the file's structure, which tells a lock from damage.
        const QString verrou = format == QLatin1String("separer")
                                   ? QStringLiteral("« secret.pdf » est protégé par un mot de passe")
                                   : illisible(QStringLiteral("secret.pdf"));
        EXPECT_EQ(res.erreurs, (QStringList{illisible(QStringLiteral("vide.pdf")), illisible(QStringLiteral("bruit.pdf")),
                                             illisible(QStringLiteral("tube.pdf")), verrou}));
        EXPECT_EQ(d.noms(), avant);
    }
}

TEST(PdfSeparation, UnFichierParPageDansLOrdre)
{
    for (int n : {1, 3}) {
        Dossier d;
        const QString source = Echantillons::pdf(d.chemin(QStringLiteral("report.pdf")), n);
        const QStringList crees = Conversions::convertirUn(source, QStringLiteral("separer"));
        ASSERT_EQ(crees.size(), n);
        for (int i = 0; i < n; ++i) {
            EXPECT_EQ(crees[i], d.chemin(QStringLiteral("report page %1.pdf").arg(i + 1)));
            EXPECT_EQ(pages(crees[i]), 1);
            EXPECT_TRUE(intact(crees[i]));
            EXPECT_EQ(pdftotext(crees[i]).trimmed(), QStringLiteral("Page %1").arg(i + 1));
        }
        EXPECT_EQ(d.noms().size(), n + 1);
    }
}

TEST(PdfSeparation, NomsPrisEtTaillesGardees)
{
    Dossier d;
    const QString source = pdf(d.chemin(QStringLiteral("plan.pdf")), {QSizeF(595, 842), QSizeF(842, 595)},
                               {QStringLiteral("A"), QStringLiteral("B")});
    d.ecrire(QStringLiteral("plan page 2.pdf"), "pris");
    const QStringList crees = Conversions::convertirUn(source, QStringLiteral("separer"));
    ASSERT_EQ(crees, (QStringList{d.chemin(QStringLiteral("plan page 1.pdf")),
                                  d.chemin(QStringLiteral("plan page 2 2.pdf"))}));
    EXPECT_EQ(taillePage(crees[0], 1), QSizeF(595, 842));
    EXPECT_EQ(taillePage(crees[1], 1), QSizeF(842, 595));
}

} // namespace
