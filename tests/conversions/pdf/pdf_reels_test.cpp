// PDFs as they come from the world: damaged, mixed typed and scanned, right-to-left, and
// pages drawn several at once.

#include "commun/Echantillons.h"
#include "conversions/pdf/pdf_fabrique.h"
#include "conversions/travail/EnParallele.h"
#include "conversions/pdf/OutilBorne.h"

#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <future>
#include <thread>

using namespace essais;
using namespace std::chrono_literals;

namespace {

QStringList mots(const QString& texte)
{
    return texte.split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
}

// A linearized PDF whose every cross-reference entry points 37 bytes off its object.
QString abime(const QString& chemin, int pages)
{
    QTemporaryDir ailleurs;
    const QString sain = Echantillons::pdf(ailleurs.filePath("sain.pdf"), pages);
    const QString lineaire = ailleurs.filePath("lineaire.pdf");
    sortieDe("qpdf", {"--linearize", sain, lineaire});
    QByteArray octets = lire(lineaire);
    static const QRegularExpression entree("(\\d{10}) 00000 n");
    QString texte = QString::fromLatin1(octets);
    QString decale;
    qsizetype depuis = 0;
    for (const auto& m : entree.globalMatch(texte)) {
        decale += texte.mid(depuis, m.capturedStart() - depuis)
                  + QString::number(m.captured(1).toLongLong() + 37).rightJustified(10, '0') + " 00000 n";
        depuis = m.capturedEnd();
    }
    decale += texte.mid(depuis);
    QFile f(chemin);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(decale.toLatin1());
    return chemin;
}

// The conversion in a thread of its own: a hang fails the test in seconds, not never.
Conversions::Resultat avantDixSecondes(const QString& source, const QString& id)
{
    auto job = std::make_shared<std::packaged_task<Conversions::Resultat()>>(
        [source, id] { return Conversions::convertir({source}, id, {}); });
    auto resultat = job->get_future();
    std::thread([job] { (*job)(); }).detach();
    if (resultat.wait_for(10s) != std::future_status::ready) {
        std::fprintf(stderr, "%s en %s ne finit pas\n", qPrintable(source), qPrintable(id));
        std::fflush(stderr);
        std::_Exit(1);
    }
    return resultat.get();
}

TEST(PdfReels, UnPdfAbimeSeLitCommeQpdfLeRepare)
{
    Dossier d;
    const QString source = abime(d.chemin("abime.pdf"), 4);
    ASSERT_FALSE(intact(source));  // really damaged
    for (const QString& id : QStringList{"jpg", "png", "txt", "docx"}) {
        SCOPED_TRACE(id.toStdString());
        const auto res = avantDixSecondes(source, id);
        ASSERT_TRUE(res.erreurs.isEmpty()) << res.erreurs.join(' ').toStdString();
        if (id == "txt")
            EXPECT_EQ(mots(QString::fromUtf8(lire(res.crees.value(0)))).join(' '), "Page 1 Page 2 Page 3 Page 4");
        if (id != "jpg" && id != "png")
            continue;
        ASSERT_EQ(res.crees.size(), 4);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(res.crees[i], d.chemin(QStringLiteral("abime page %1.").arg(i + 1) + id));
        EXPECT_EQ(tailleImage(res.crees[3]), tailleImage(res.crees[0]));
    }
}

// A reader that does not answer is stopped at its bound and the job fails, named.
TEST(PdfReels, UnLecteurMuetEstArreteASonDelai)
{
    const auto debut = std::chrono::steady_clock::now();
    try {
        Conversions::executerBorne("/bin/sleep", {"30"}, 300ms, "lent.pdf");
        FAIL() << "pas d’erreur";
    } catch (const Conversions::Erreur& e) {
        EXPECT_EQ(e.message(), illisible("lent.pdf"));
    }
    EXPECT_LT(std::chrono::steady_clock::now() - debut, 5s);
    EXPECT_THROW(Conversions::executerBorne("/bin/false", {}, 5s, "faux.pdf"), Conversions::Erreur);
}

// Pages handed out in order and finished in any order: every page runs once, and the
// failure a plain loop would meet first is the one thrown, after every page before it.
TEST(PdfReels, EnParalleleCommeUneBoucle)
{
    std::vector<std::atomic<int>> faites(60);
    try {
        Conversions::enParallele(60, 8, [&](int i) {
            std::this_thread::sleep_for(std::chrono::milliseconds((i * 7) % 5));
            ++faites[static_cast<size_t>(i)];
            if (i == 41 || i == 23)
                throw std::runtime_error(std::to_string(i));
        });
        FAIL() << "pas d’erreur";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "23");
    }
    for (int i = 0; i <= 23; ++i)
        EXPECT_EQ(faites[static_cast<size_t>(i)], 1) << i;
    for (const auto& f : faites)
        EXPECT_LE(f, 1);
}

// Many pages drawn at once, JPEG pages by runs of one size, keep their names and their
// own sizes, and nothing hidden stays behind.
TEST(PdfReels, PagesDessineesEnsembleGardentNomEtTaille)
{
    QList<QSizeF> tailles;
    for (int i = 0; i < 14; ++i)
        tailles << QSizeF(72 + 12 * (i / 3), 144 - 6 * (i / 3));
    for (const QString& format : QStringList{"jpg", "png"}) {
        SCOPED_TRACE(format.toStdString());
        Dossier d;
        const QStringList crees = Conversions::convertirUn(pdf(d.chemin("lot.pdf"), tailles, {}), format);
        ASSERT_EQ(crees.size(), 14);
        for (int i = 0; i < 14; ++i) {
            EXPECT_EQ(crees[i], d.chemin(QStringLiteral("lot page %1.").arg(i + 1) + format));
            EXPECT_EQ(tailleImage(crees[i]), (tailles[i] * 300 / 72).toSize()) << i;
        }
        EXPECT_EQ(d.noms().size(), 15);  // hidden files included
    }
}

// A typed cover before scanned pages: every page's text, in order, for both petals.
TEST(PdfReels, CouvertureTapeeEtPagesScannees)
{
    Dossier d;
    QTemporaryDir ailleurs;
    const QString tapee = pdf(ailleurs.filePath("a.pdf"), {QSizeF(300, 120)}, {"Couverture du rapport"});
    const QString scannee =
        pdf(ailleurs.filePath("b.pdf"), {QSizeF(300, 120), QSizeF(300, 120), QSizeF(300, 120)},
            {"BONJOUR", "MONDE", "FIN"}, true);
    const QString source = d.chemin("rapport.pdf");
    sortieDe("qpdf", {"--empty", "--pages", tapee, scannee, "--", source});
    const QString txt = QString::fromUtf8(lire(convertirSeul(source, "txt")));
    EXPECT_EQ(mots(txt), (QStringList{"Couverture", "du", "rapport", "BONJOUR", "MONDE", "FIN"}));
    EXPECT_EQ(mots(docx2txt(convertirSeul(source, "docx"))),
              (QStringList{"Couverture", "du", "rapport", "BONJOUR", "MONDE", "FIN"}));
}

// Arabic comes out in logical order, as pdftotext reads it, only once, and as letters
// rather than their shaped forms.
TEST(PdfReels, ArabeDansLOrdreLogique)
{
    Dossier d;
    const QString source = d.chemin("arabe.pdf");
    {
        QPdfWriter writer(source);
        writer.setResolution(72);
        writer.setPageSize(QPageSize(QSizeF(400, 120), QPageSize::Point));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter p(&writer);
        QFont police(QStringLiteral("DejaVu Sans"));
        police.setPixelSize(20);
        p.setFont(police);
        p.drawText(QRectF(10, 10, 380, 100), Qt::AlignRight, QStringLiteral("مرحبا بالعالم"));
    }
    const QString texte = QString::fromUtf8(lire(convertirSeul(source, "txt")));
    EXPECT_EQ(mots(texte), mots(pdftotext(source).normalized(QString::NormalizationForm_KC)));
    EXPECT_EQ(texte.count(QStringLiteral("مرحبا")), 1) << texte.toStdString();
}

} // namespace
