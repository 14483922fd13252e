// Text in a photo: small shop signs on a textured wall, which the page-layout pass does
// not read, are found by the second, enlarged pass.

#include "conversions/images/images_fabrique.h"

#include "conversions/images/Images.h"

#include <QPainter>

using namespace essais;

namespace {

struct Enseigne {
    QString texte;
    QColor fond, encre;
};

// A 692 × 1024 street wall: bricks and mortar in grain, up to three painted signs in small
// bold capitals.
QImage rue(const QList<Enseigne>& enseignes, int points = 8)
{
    // Grain four pixels wide, smoothed as a lens and a JPEG would.
    QImage grain(692 / 4, 1024 / 4, QImage::Format_Grayscale8);
    QRandomGenerator g(7);
    for (int y = 0; y < grain.height(); ++y)
        for (int x = 0; x < grain.width(); ++x)
            grain.scanLine(y)[x] = static_cast<uchar>(g.bounded(70));
    grain = grain.scaled(692, 1024, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QImage mur(692, 1024, QImage::Format_RGB32);
    for (int y = 0; y < mur.height(); ++y)
        for (int x = 0; x < mur.width(); ++x) {
            const int b = grain.constScanLine(y)[x];
            const bool brique = (y / 14) % 2 == 0 ? (x / 40) % 2 == 0 : ((x + 20) / 40) % 2 == 0;
            mur.setPixel(x, y, brique ? qRgb(120 + b, 70 + b / 2, 50 + b / 3) : qRgb(90 + b, 85 + b, 80 + b));
        }
    QPainter p(&mur);
    p.setRenderHint(QPainter::Antialiasing);
    p.setFont(QFont(QStringLiteral("DejaVu Sans"), points, QFont::Bold));
    const QRect cadres[] = {{60, 180, 260, 46}, {380, 420, 230, 46}, {120, 720, 300, 46}};
    for (int i = 0; i < enseignes.size(); ++i) {
        p.fillRect(cadres[i], enseignes[i].fond);
        p.setPen(enseignes[i].encre);
        p.drawText(cadres[i], Qt::AlignCenter, enseignes[i].texte);
    }
    return mur;
}

TEST(OcrPhoto, LesEnseignesDUnePhotoSontLues)
{
    Dossier d;
    const QString photo = ecrire(d, "rue.jpg", rue({{"BOULANGERIE", {40, 60, 120}, {240, 230, 200}},
                                                    {"PHARMACIE", {110, 20, 20}, {250, 245, 200}},
                                                    {"LIBRAIRIE", {30, 90, 50}, {235, 235, 235}}}), 92);
    // tesseract, at the photo's own size and in its usual mode, reads no sign.
    const QString seul = sortieDe("tesseract", {photo, "-", "--psm", "3", "-l", "fra+eng"});
    ASSERT_FALSE(seul.contains("BOULANGERIE") || seul.contains("PHARMACIE") || seul.contains("LIBRAIRIE"))
        << seul.toStdString();

    const QString texte = QString::fromUtf8(lire(convertirSeul(photo, "ocr")));
    for (const char* mot : {"BOULANGERIE", "PHARMACIE", "LIBRAIRIE"})
        EXPECT_TRUE(texte.contains(mot)) << mot << " dans « " << texte.toStdString() << " »";
    // The wall's noise is not taken for words.
    EXPECT_LE(texte.split('\n', Qt::SkipEmptyParts).size(), 6) << texte.toStdString();
}

// White letters on a brown and on an orange sign, whose greys are the wall's: one threshold
// over the photo takes letters and sign together. Read apart by their colour, beside the
// dark letters of a cream sign.
TEST(OcrPhoto, LettresClairesSurEnseignesDeCouleur)
{
    Dossier d;
    const QString photo = ecrire(d, "brun.jpg", rue({{"BOULANGERIE", {235, 225, 200}, {40, 30, 20}},
                                                     {"PHARMACIE", {160, 110, 70}, Qt::white},
                                                     {"LIBRAIRIE", {230, 120, 30}, {250, 250, 240}}}, 11), 92);
    for (const char* mode : {"3", "11"}) {
        const QString seul = sortieDe("tesseract", {photo, "-", "--psm", mode, "-l", "fra+eng"});
        ASSERT_FALSE(seul.contains("PHARMACIE") || seul.contains("LIBRAIRIE")) << seul.toStdString();
    }
    const QString texte = QString::fromUtf8(lire(convertirSeul(photo, "ocr")));
    for (const char* mot : {"BOULANGERIE", "PHARMACIE", "LIBRAIRIE"})
        EXPECT_EQ(texte.count(mot), 1) << mot << " dans « " << texte.toStdString() << " »";
    EXPECT_LE(texte.split('\n', Qt::SkipEmptyParts).size(), 5) << texte.toStdString();
}

// The baseline runs beside other suites: on one thread, as the application's recogniser does,
// or it crawls past its limit on a loaded machine.
TEST(OcrPhoto, LeTesseractDeReferenceNePrendQuUnFil)
{
    EXPECT_EQ(sortieDe("sh", {"-c", "echo \"$OMP_THREAD_LIMIT\""}).trimmed(), "1");
}

// The same wall without a sign still has no text: the second pass makes none up.
TEST(OcrPhoto, UnMurSansEnseigneResteSansTexte)
{
    Dossier d;
    const QString mur = ecrire(d, "mur.jpg", rue({}), 92);
    echoue(d, {mur}, "ocr", {QStringLiteral("Aucun texte dans « mur.jpg »")});
}

} // namespace
