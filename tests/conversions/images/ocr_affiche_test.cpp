// Printed posters: large titles over a few lines of small text, in CMYK as they went to the
// printer. Every line whose words the recogniser is sure of is kept, whatever it makes of the
// icons beside them, and whatever grey the ground and the letters share.

#include "conversions/images/images_fabrique.h"

#include <QLinearGradient>
#include <QPainterPath>

using namespace essais;

namespace {

const QStringList corps{QStringLiteral("Samedi 14 juin"), QStringLiteral("Salle Pasteur"), QStringLiteral("Marie Dupont")};
const QStringList petitesLignes{QStringLiteral("Samedi 14 juin à 20 h 30"), QStringLiteral("12 rue des Lilas, Lyon"),
                                QStringLiteral("Tél. 04 78 12 34 56")};
// What any reader must find of each (an accent or a blank between digits may go astray).
const QStringList debutsDesLignes{QStringLiteral("Samedi 14 juin"), QStringLiteral("12 rue des Lilas"),
                                  QStringLiteral("Tél. 04 78 12")};

// The colours of a title: its shadow, its letters and their outline.
struct Encres {
    QColor ombre, lettres, trait;
};

// Bold serif capitals, outlined, over their shadow: one word a line from `debut` down.
void titres(QPainter& p, const QStringList& mots, int taille, QPoint debut, int pas, const Encres& encres)
{
    QFont titre(QStringLiteral("DejaVu Serif"));
    titre.setBold(true);
    titre.setPixelSize(taille);
    for (const QString& mot : mots) {
        QPainterPath chemin;
        chemin.addText(debut, titre, mot);
        p.fillPath(chemin.translated(6, 6), encres.ombre);
        p.fillPath(chemin, encres.lettres);
        p.strokePath(chemin, QPen(encres.trait, 3));
        debut.ry() += pas;
    }
}

// A sheet at 150 dpi: a photo under a pale veil, the titles in outlined capitals with a shadow, then
// each line of small text after its icon (a calendar, a pin, a person).
QImage affiche()
{
    QImage image(874, 1240, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fond(0, 0, 0, image.height());
    fond.setColorAt(0, QColor(252, 236, 200));
    fond.setColorAt(1, QColor(246, 214, 170));
    p.fillRect(image.rect(), fond);
    // Printed over a photo, faded.
    p.setOpacity(0.8);
    p.drawImage(0, 0, texture(image.width(), image.height(), 5));
    p.setOpacity(1);
    titres(p, {QStringLiteral("GRAND"), QStringLiteral("CONCERT")}, 120, {60, 240}, 170,
           {QColor(150, 60, 40), QColor(200, 40, 60), QColor(60, 20, 30)});
    QFont icones(QStringLiteral("FontAwesome"));
    icones.setPixelSize(36);
    QFont texte(QStringLiteral("DejaVu Sans"));
    texte.setPixelSize(26);
    const QList<QChar> signes{QChar(0xF073), QChar(0xF041), QChar(0xF007)};
    int y = 820;
    for (int i = 0; i < corps.size(); ++i) {
        p.setFont(icones);
        p.setPen(QColor(200, 40, 60));
        p.drawText(60, y, signes[i]);
        p.setFont(texte);
        p.setPen(QColor(40, 30, 30));
        p.drawText(126, y, corps[i]);
        y += 70;
    }
    return image;
}

// As printers take it: a CMYK JPEG declaring its 150 dpi, made by libvips' command line.
QString enCmjn(const Dossier& d, const QImage& image, const QString& nom)
{
    const QString rvb = ecrire(d, "rvb.png", image);
    const QString cmjn = d.chemin("cmjn.v");
    sortieDe("vips", {"colourspace", rvb, cmjn, "cmyk"});
    sortieDe("vips", {"copy", cmjn, d.chemin(nom) + "[Q=92]", "--xres", "5.906", "--yres", "5.906"});
    QFile::remove(rvb);
    QFile::remove(cmjn);
    return d.chemin(nom);
}

QString afficheCmjn(const Dossier& d) { return enCmjn(d, affiche(), "affiche.jpg"); }

TEST(OcrAffiche, LesPetitesLignesSousLesGrandsTitresSontGardees)
{
    Dossier d;
    const QString source = afficheCmjn(d);
    ASSERT_TRUE(champVips(source, "interpretation").contains("CMYK"));
    const QString lu = QString::fromUtf8(lire(convertirSeul(source, "ocr")));
    for (const QString& ligne : QStringList{"GRAND", "CONCERT"} + corps)
        EXPECT_TRUE(lu.contains(ligne)) << ligne.toStdString() << " in:\n" << lu.toStdString();
    // The icons, read as stray signs the recogniser is unsure of, are left out.
    for (const QString& ligne : lu.split('\n'))
        EXPECT_TRUE(ligne.at(0).isLetterOrNumber()) << lu.toStdString();
}

// A sheet at 150 dpi on a dark blue ground: two titles in outlined yellow capitals with a
// shadow, then three lines of small coral text. In grey the coral and the blue come close to
// the threshold that parts the titles from the ground; their red channels do not.
QImage afficheDeNuit()
{
    QImage image(874, 1240, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(image.rect(), QColor(40, 60, 120));
    titres(p, {QStringLiteral("THEATRE"), QStringLiteral("MARIONNETTES")}, 88, {50, 220}, 160,
           {QColor(20, 20, 40), QColor(250, 210, 80), QColor(60, 30, 20)});
    QFont texte(QStringLiteral("DejaVu Sans"));
    texte.setPixelSize(24);
    p.setFont(texte);
    p.setPen(QColor(230, 90, 60));
    int y = 800;
    for (const QString& ligne : petitesLignes) {
        p.drawText(80, y, ligne);
        y += 60;
    }
    return image;
}

TEST(OcrAffiche, LesPetitesLignesDeCouleurSontLuesCommeLesLitTesseract)
{
    Dossier d;
    const QString source = enCmjn(d, afficheDeNuit(), "nuit.jpg");
    // tesseract, given the file itself, reads every small line.
    const QString seul = sortieDe("tesseract", {source, "-", "-l", "fra+eng"});
    for (const QString& ligne : debutsDesLignes)
        ASSERT_TRUE(seul.contains(ligne)) << ligne.toStdString() << " in:\n" << seul.toStdString();
    const QString lu = QString::fromUtf8(lire(convertirSeul(source, "ocr")));
    for (const QString& ligne : QStringList{"THEATRE"} + debutsDesLignes)
        EXPECT_TRUE(lu.contains(ligne)) << ligne.toStdString() << " in:\n" << lu.toStdString();
}

// A flyer: white paper, a large colourful photo (ImageMagick's plasma) on the left, black
// titles beside it, then small black lines of `petites` pixels close to its edge.
const QStringList lignesDuFlyer{QStringLiteral("Saturday, September 9th, 8pm"),
                                QStringLiteral("1 SOUTH BROADWAY, DENVER 80209"), QStringLiteral("303.733.3855")};

QImage flyer(const Dossier& d, int petites)
{
    const QString plasma = d.chemin("plasma.png");
    sortieDe("convert", {"-size", "640x745", "-seed", "3", "plasma:fractal", "-modulate", "110,160", plasma});
    QImage image(1275, 825, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.drawImage(40, 40, QImage(plasma));
    QFile::remove(plasma);
    QFont titre(QStringLiteral("DejaVu Sans"));
    titre.setBold(true);
    titre.setPixelSize(48);
    p.setFont(titre);
    p.setPen(Qt::black);
    p.drawText(684, 170, QStringLiteral("PUPPET"));
    p.drawText(684, 250, QStringLiteral("THEATER"));
    QFont texte(QStringLiteral("DejaVu Sans"));
    texte.setPixelSize(petites);
    p.setFont(texte);
    for (int i = 0; i < lignesDuFlyer.size(); ++i)
        p.drawText(684, 420 + 40 * i, lignesDuFlyer[i]);
    return image;
}

// Every small line that tesseract's command line reads from the sRGB flyer is kept once,
// from the flyer in sRGB as in CMYK, though grey loses or misreads some beside the photo.
TEST(OcrAffiche, LesPetitesLignesNoiresDUnFlyerSontGardees)
{
    for (const int petites : {11, 14}) {
        SCOPED_TRACE(petites);
        Dossier d;
        const QImage image = flyer(d, petites);
        const QString rvb = ecrire(d, "flyer.png", image);
        const QString seul = sortieDe("tesseract", {rvb, "-", "-l", "fra+eng"});
        for (const QString& ligne : lignesDuFlyer)
            ASSERT_TRUE(seul.contains(ligne)) << ligne.toStdString() << " in:\n" << seul.toStdString();
        for (const QString& source : {rvb, enCmjn(d, image, "flyer.jpg")}) {
            const QString lu = QString::fromUtf8(lire(convertirSeul(source, "ocr")));
            for (const QString& ligne : lignesDuFlyer)
                EXPECT_EQ(lu.count(ligne), 1) << ligne.toStdString() << " in:\n" << lu.toStdString();
        }
    }
}

} // namespace
