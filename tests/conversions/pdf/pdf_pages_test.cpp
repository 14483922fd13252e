// A PDF's pages as pictures, and as PDFs of their own.

#include "commun/Echantillons.h"
#include "conversions/pdf/pdf_fabrique.h"

#include "commun/Exiger.h"
#include "conversions/Erreur.h"
#include "conversions/pdf/OutilBorne.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>

using namespace essais;

namespace {

TEST(PdfPages, UnePageA4A300Points)
{
    for (const QString& format : QStringList{"png", "jpg"}) {
        SCOPED_TRACE(format.toStdString());
        Dossier d;
        // An A4 page with a red square in its top-left corner, on nothing (transparent).
        const QString source = d.chemin("report.pdf");
        {  // closed before converting
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

// One file per page, in order, at its own size, a taken name skipped.
TEST(PdfPages, UneSortieParPageDansLOrdre)
{
    const QList<QSizeF> tailles{QSizeF(144, 72), QSizeF(72, 144), QSizeF(288, 144)};
    const QStringList textes{"Un", "Deux", "Trois"};
    for (const QString& format : QStringList{"jpg", "separer"}) {
        SCOPED_TRACE(format.toStdString());
        Dossier d;
        const QString extension = format == "jpg" ? ".jpg" : ".pdf";
        d.ecrire("report page 2" + extension, "pris");
        const QStringList crees = Conversions::convertirUn(pdf(d.chemin("report.pdf"), tailles, textes), format);
        ASSERT_EQ(crees, (QStringList{d.chemin("report page 1" + extension), d.chemin("report page 2 2" + extension),
                                      d.chemin("report page 3" + extension)}));
        for (int i = 0; i < 3; ++i) {
            if (format == "jpg") {  // 300 dpi
                EXPECT_EQ(tailleImage(crees[i]), (tailles[i] * 300 / 72).toSize());
                continue;
            }
            EXPECT_EQ(pages(crees[i]), 1);
            EXPECT_EQ(taillePage(crees[i], 1), tailles[i]);
            EXPECT_TRUE(intact(crees[i]));
            EXPECT_EQ(pdftotext(crees[i]).trimmed(), textes[i]);
        }
    }
}

// A page that cannot be drawn (its box is empty) is refused, and no page of the document is kept.
TEST(PdfPages, UnEchecNeGardeAucunePage)
{
    Dossier d;
    QList<QByteArray> objets{"<< /Type /Catalog /Pages 2 0 R >>",
                             "<< /Type /Pages /Kids [3 0 R 4 0 R 5 0 R 6 0 R] /Count 4 >>"};
    for (const char* boite : {"0 0 72 72", "0 0 72 72", "0 0 0 0", "0 0 72 72"})
        objets << "<< /Type /Page /Parent 2 0 R /MediaBox [" + QByteArray(boite) + "] >>";
    const QString source = aLaMain(d.chemin("mixte.pdf"), objets);
    const Conversions::Resultat r = Conversions::convertir({source}, "jpg", {});
    EXPECT_TRUE(r.crees.isEmpty());
    EXPECT_EQ(r.erreurs, QStringList{illisible("mixte.pdf")});
    EXPECT_EQ(d.noms(), QStringList{"mixte.pdf"});  // the pages drawn before it are not kept
}

// Only an owner password: the pages open for reading, from a worker thread as in the app.
TEST(PdfPages, ProprietaireSeulDepuisUnFilDeTravail)
{
    Dossier d;
    QTemporaryDir ailleurs;
    const QString clair = pdf(ailleurs.filePath("c.pdf"), {QSizeF(72, 72), QSizeF(36, 36)}, {});
    const QString source = chiffrer(clair, d.chemin("restreint.pdf"), "", "o");
    Conversions::Resultat res;
    std::thread([&] { res = Conversions::convertir({source}, "png", {}); }).join();
    ASSERT_EQ(res.crees, (QStringList{d.chemin("restreint page 1.png"), d.chemin("restreint page 2.png")}));
    EXPECT_EQ(tailleImage(res.crees[1]), QSize(150, 150));
}

// Without a page, damaged, a pipe (would keep a reader waiting for ever) or locked: named,
// nothing written, whatever the petal.
TEST(PdfPages, PdfIllisibles)
{
    Dossier d;
    QTemporaryDir ailleurs;
    const QString vide = sansPage(d.chemin("vide.pdf"));
    const QString bruit = d.ecrire("bruit.pdf", QByteArray(4096, '\xA5'));
    const QString tube = d.chemin("tube.pdf");
    ASSERT_EQ(::mkfifo(QFile::encodeName(tube).constData(), 0600), 0);
    const QString secret = chiffrer(Echantillons::pdf(ailleurs.filePath("c.pdf"), 1), d.chemin("secret.pdf"), "u", "o");
    for (const QString& format : QStringList{"jpg", "png", "txt", "docx", "separer"}) {
        SCOPED_TRACE(format.toStdString());
        echoue(d, {vide, bruit, tube, secret}, format,
               {illisible("vide.pdf"), illisible("bruit.pdf"), illisible("tube.pdf"),
                "« secret.pdf » est protégé par un mot de passe"});
    }
}

} // namespace

namespace {

// In a death test's child: poppler's tools started with each descriptor count short of
// what their pipes take.
[[noreturn]] void lancerSansDescripteurs(const QString& pdf)
{
    int haut = 0;
    for (const QString& n : QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries))
        haut = std::max(haut, n.toInt());
    // Every number below the highest taken: the limit leaves exactly the margin free.
    while (::open("/dev/null", O_RDONLY | O_CLOEXEC) < haut) {
    }
    rlimit avant{};
    getrlimit(RLIMIT_NOFILE, &avant);
    for (rlim_t marge = 0; marge < 4; ++marge) {
        const rlimit peu{static_cast<rlim_t>(haut) + 1 + marge, avant.rlim_max};
        setrlimit(RLIMIT_NOFILE, &peu);
        QString message;
        try {
            Conversions::executerBorne(QStringLiteral("/usr/bin/pdftotext"), {pdf, QStringLiteral("-")},
                                       std::chrono::seconds(60), QStringLiteral("doc.pdf"));
        } catch (const Conversions::Erreur& e) {
            message = e.message();
        }
        setrlimit(RLIMIT_NOFILE, &avant);
        exiger(message == QStringLiteral("Trop de fichiers ouverts pour convertir « doc.pdf »"),
               ("le manque de descripteurs se dit « " + message + " »").toUtf8().constData());
    }
    std::_Exit(0);
}

} // namespace

// A process short of file descriptors (a low « ulimit -n ») says so on the PDF roads, never
// that PDFs cannot be read on this system.
TEST(PdfPages, PeuDeDescripteursLeDit)
{
    GTEST_FLAG_SET(death_test_style, "fast");
    Dossier d;
    const QString pdf = Echantillons::pdf(d.chemin("doc.pdf"), 2);
    EXPECT_EXIT(lancerSansDescripteurs(pdf), testing::ExitedWithCode(0), "");
}
