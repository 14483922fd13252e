// Subject cut-out through the dispatcher, the result read back by Qt's PNG reader.

#include "conversions/images/images_fabrique.h"
#include "conversions/images/Isnet.h"

using namespace essais;

namespace {

// One shape of a subject: an ellipse, or a rectangle with corners rounded by `arrondi`.
struct Piece {
    QRect cadre;
    QColor couleur;
    int arrondi = -1;
};

// Draws the shapes on `image`; returns the same shapes in white on black.
QImage dessiner(QImage& image, const QList<Piece>& formes)
{
    QImage masque(image.size(), QImage::Format_Grayscale8);
    masque.fill(0);
    for (QImage* cible : {&image, &masque}) {
        QPainter p(cible);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        for (const Piece& f : formes) {
            p.setBrush(cible == &masque ? QColor(Qt::white) : f.couleur);
            if (f.arrondi < 0)
                p.drawEllipse(f.cadre);
            else
                p.drawRoundedRect(f.cadre, f.arrondi, f.arrondi);
        }
    }
    return masque;
}

QImage degrade(int largeur, int hauteur, const QColor& haut, const QColor& bas)
{
    QImage image(largeur, hauteur, QImage::Format_RGB32);
    QLinearGradient g(0, 0, 0, hauteur);
    g.setColorAt(0, haut);
    g.setColorAt(1, bas);
    QPainter(&image).fillRect(image.rect(), g);
    return image;
}

} // namespace

// Drawn shapes are the classical segmentation's ground: the model is kept out.
class Detour : public ::testing::Test {
protected:
    void SetUp() override { Conversions::Isnet::imposerChemin(QStringLiteral("/nonexistent/isnet.onnx")); }
    void TearDown() override { Conversions::Isnet::imposerChemin({}); }
};

TEST_F(Detour, LeDetourSuitLeSujet)
{
    struct Cas {
        QString nom;
        QImage image;
        QList<Piece> formes;
        double seuil;
    };
    QImage vide(300, 200, QImage::Format_ARGB32);
    vide.fill(Qt::transparent);
    const QList<Cas> cas{
        {"objet.png", texture(900, 600, 7),
         {{QRect(300, 140, 260, 300), QColor(200, 40, 60)}, {QRect(380, 400, 120, 120), QColor(40, 70, 210), 0}}, 0.9},
        {"deux.jpg", texture(800, 500, 11),
         {{QRect(100, 120, 200, 260), QColor(230, 210, 60)}, {QRect(500, 140, 180, 240), QColor(90, 60, 200)}}, 0.85},
        // The colour of what surrounds it: only the alpha can tell the shape.
        {"logo.png", vide, {{QRect(60, 40, 180, 120), QColor(240, 120, 20)}}, 0.98},
        // A portrait: the subject leaves the frame at the bottom, as a bust does.
        {"buste.png", degrade(600, 800, QColor(200, 205, 215), QColor(150, 155, 170)),
         {{QRect(220, 150, 160, 200), QColor(205, 150, 120)}, {QRect(130, 330, 340, 520), QColor(40, 50, 110), 80}},
         0.9}};
    for (Cas c : cas) {
        SCOPED_TRACE(c.nom.toStdString());
        Dossier d;
        const QImage masque = dessiner(c.image, c.formes);
        const QString source = ecrire(d, c.nom, c.image);
        const QString sortie = convertirSeul(source, "detour");
        EXPECT_EQ(sortie, d.chemin(QFileInfo(source).completeBaseName() + " (détourée).png"));
        const QImage decoupe(sortie);
        ASSERT_EQ(decoupe.size(), c.image.size());
        EXPECT_GT(iou(decoupe, masque), c.seuil);
        EXPECT_EQ(qAlpha(decoupe.pixel(2, 2)), 0);
        const QImage lue(source);
        for (const Piece& f : c.formes) {  // every part kept, in its own colours
            const QRgb a = decoupe.pixel(f.cadre.center()), b = lue.pixel(f.cadre.center());
            EXPECT_EQ(qAlpha(a), 255);
            EXPECT_LE(std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b)),
                      12);
        }
        if (c.nom == "buste.png") {
            EXPECT_EQ(qAlpha(decoupe.pixel(300, 799)), 255);  // down to the last row
        }
    }
}

// A landscape, a plain picture, an object filling the frame: no subject, nothing written.
TEST_F(Detour, SansSujet)
{
    QImage paysage = texture(640, 400, 3);
    QPainter(&paysage).drawImage(0, 0, degrade(640, 200, QColor(90, 140, 220), QColor(180, 210, 240)));
    QImage uni(300, 200, QImage::Format_RGB32);
    uni.fill(QColor(120, 120, 120));
    QImage plein(400, 300, QImage::Format_RGB32);
    plein.fill(QColor(30, 30, 30));
    QPainter(&plein).fillRect(QRect(4, 4, 392, 292), QColor(220, 60, 40));
    const QList<std::pair<QString, QImage>> cas{{"paysage.jpg", paysage}, {"gris.png", uni}, {"plein.png", plein}};
    for (const auto& [nom, image] : cas) {
        Dossier d;
        echoue(d, {ecrire(d, nom, image)}, "detour", {"Aucun sujet trouvé dans « " + nom + " »"});
    }
}

TEST_F(Detour, PhotoTourneeGardeSaTaillePleineEtRedressee)
{
    Dossier d;
    QImage image = texture(600, 400, 5);
    dessiner(image, {{QRect(220, 120, 160, 160), QColor(220, 30, 160)}});
    const QString sortie = convertirSeul(jpegOriente(d, "tournee.jpg", image, 6), "detour");
    EXPECT_EQ(tailleImage(sortie), QSize(400, 600));
    EXPECT_EQ(qAlpha(QImage(sortie).pixel(200, 300)), 255);
}
