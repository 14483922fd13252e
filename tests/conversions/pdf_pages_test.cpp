#include "conversions/Conversions.h"

#include "commun/Dossier.h"
#include "commun/Echantillons.h"
#include "pdf_outils.h"

#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <thread>
#include <sys/stat.h>

using namespace PdfOutils;

namespace {

// An A4 page with a red square in its top-left quarter, on nothing (transparent).
QString a4AvecCarre(const QString& chemin)
{
    QPdfWriter writer(chemin);
    writer.setResolution(72);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter p(&writer);
    p.fillRect(QRectF(0, 0, 100, 100), QColor(220, 20, 20));
    return chemin;
}

TEST(PdfPages, UnePageA4A300Points)
{
    for (const QString& format : {QStringLiteral("png"), QStringLiteral("jpg")}) {
        Dossier d;
        const QString source = a4AvecCarre(d.chemin(QStringLiteral("report.pdf")));
        const QStringList crees = Conversions::convertirUn(source, format);
        ASSERT_EQ(crees, QStringList{d.chemin(QStringLiteral("report.") + format)});
        EXPECT_EQ(tailleImage(crees[0]), QSize(2479, 3508));
        const QImage page(crees[0]);
        ASSERT_FALSE(page.isNull());
        // 100 points is 416 pixels: inside the square red, outside white (not black).
        const QColor rouge = page.pixelColor(200, 200);
        EXPECT_NEAR(rouge.red(), 220, 6);
        EXPECT_NEAR(rouge.green(), 20, 6);
        EXPECT_NEAR(rouge.blue(), 20, 6);
        for (const QPoint p : {QPoint(450, 450), QPoint(2478, 3507), QPoint(1200, 60)})
            EXPECT_EQ(page.pixelColor(p), QColor(Qt::white)) << format.toStdString() << " " << p.x() << "," << p.y();
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

// No password test: the reader cannot open it, which is a reading failure, and nothing
// is written; a page too large to draw is refused before anything is made.
TEST(PdfPages, VerrouilleOuPageDemesureeRefuses)
{
    Dossier d;
    QTemporaryDir ailleurs;
    const QString secret = chiffrer(Echantillons::pdf(ailleurs.filePath(QStringLiteral("c.pdf")), 1),
                                    d.chemin(QStringLiteral("secret.pdf")), QStringLiteral("u"), QStringLiteral("o"));
    const QString affiche = pdf(d.chemin(QStringLiteral("affiche.pdf")), {QSizeF(14000, 14000)}, {});
    const QStringList avant = d.noms();
    const auto res = Conversions::convertir({secret, affiche}, QStringLiteral("png"), {});
    EXPECT_TRUE(res.crees.isEmpty());
    EXPECT_EQ(res.erreurs, (QStringList{QStringLiteral("Impossible de lire « secret.pdf »"),
                                         QStringLiteral("Impossible de lire « affiche.pdf »")}));
    EXPECT_EQ(d.noms(), avant);
}

// Pages already written stay when a later one fails.
TEST(PdfPages, LesPagesEcritesAvantUnEchecRestent)
{
    Dossier d;
    const QString source = pdf(d.chemin(QStringLiteral("mixte.pdf")),
                               {QSizeF(72, 72), QSizeF(72, 72), QSizeF(14000, 14000), QSizeF(72, 72)}, {});
    const auto res = Conversions::convertir({source}, QStringLiteral("jpg"), {});
    EXPECT_EQ(res.erreurs, QStringList{QStringLiteral("Impossible de lire « mixte.pdf »")});
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

// A format without a page writer names the file it could not make.
TEST(PdfPages, FormatSansEcrivain)
{
    Dossier d;
    const QString source = Echantillons::pdf(d.chemin(QStringLiteral("report.pdf")), 2);
    const auto res = Conversions::convertir({source}, QStringLiteral("bmp"), {});
    EXPECT_EQ(res.erreurs, QStringList{QStringLiteral("Impossible d’écrire « report page 1.bmp »")});
    EXPECT_EQ(d.noms(), QStringList{QStringLiteral("report.pdf")});
}

TEST(PdfPages, PdfAbimeOuSansPage)
{
    Dossier d;
    const QString vide = d.chemin(QStringLiteral("vide.pdf"));
    executer(QStringLiteral("qpdf"), {QStringLiteral("--empty"), vide});
    const QString bruit = d.ecrire(QStringLiteral("bruit.pdf"), QByteArray(4096, '\xA5'));
    // A pipe would keep a reader waiting for ever.
    const QString tube = d.chemin(QStringLiteral("tube.pdf"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(tube).constData(), 0600), 0);
    const QStringList avant = d.noms();
    for (const QString& format : {QStringLiteral("jpg"), QStringLiteral("png"), QStringLiteral("txt"),
                                 QStringLiteral("docx"), QStringLiteral("separer")}) {
        const auto res = Conversions::convertir({vide, bruit, tube}, format, {});
        EXPECT_EQ(res.erreurs, (QStringList{QStringLiteral("Impossible de lire « vide.pdf »"),
                                             QStringLiteral("Impossible de lire « bruit.pdf »"),
                                             QStringLiteral("Impossible de lire « tube.pdf »")}));
        EXPECT_EQ(d.noms(), avant) << format.toStdString();
    }
}

} // namespace
