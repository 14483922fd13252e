// Subject cut-out through the dispatcher, the result read back by Qt's PNG reader.

#include "images_echantillons.h"

#include "conversions/Conversions.h"

#include <QPainter>
#include <gtest/gtest.h>

using namespace Conversions;
using namespace echantillons;

namespace {

// Intersection over union of the cut-out's opaque part and the drawn mask.
double iou(const QImage& decoupe, const QImage& attendu)
{
    long inter = 0, uni = 0;
    for (int y = 0; y < attendu.height(); ++y)
        for (int x = 0; x < attendu.width(); ++x) {
            const bool a = qAlpha(decoupe.pixel(x, y)) >= 128;
            const bool b = qGray(attendu.pixel(x, y)) >= 128;
            inter += a && b;
            uni += a || b;
        }
    return uni ? static_cast<double>(inter) / static_cast<double>(uni) : 0.0;
}

// Draws the same shapes in colour on `image` and in white on `masque`.
template <typename Dessin>
void sujet(QImage& image, QImage& masque, Dessin dessin)
{
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    dessin(p, false);
    QPainter m(&masque);
    m.setRenderHint(QPainter::Antialiasing);
    m.setPen(Qt::NoPen);
    dessin(m, true);
}

} // namespace

TEST(Detour, SujetSurFondTextureSuitLeDessin)
{
    Dossier d;
    QImage image = texture(900, 600, 7);
    QImage masque(image.size(), QImage::Format_Grayscale8);
    masque.fill(0);
    sujet(image, masque, [](QPainter& p, bool blanc) {
        p.setBrush(blanc ? QColor(Qt::white) : QColor(200, 40, 60));
        p.drawEllipse(QRect(300, 140, 260, 300));
        p.setBrush(blanc ? QColor(Qt::white) : QColor(40, 70, 210));
        p.drawRect(QRect(380, 400, 120, 120));
    });
    const QString source = ecrire(d, "objet.png", image);
    const Resultat r = convertir({source}, "detour", {});
    ASSERT_EQ(r.erreurs, QStringList());
    ASSERT_EQ(r.crees, QStringList({d.chemin("objet (détourée).png")}));
    const QImage decoupe(r.crees[0]);
    ASSERT_EQ(decoupe.size(), image.size());
    ASSERT_TRUE(decoupe.hasAlphaChannel());
    EXPECT_GT(iou(decoupe, masque), 0.9);
    EXPECT_EQ(qAlpha(decoupe.pixel(20, 20)), 0);
    EXPECT_EQ(decoupe.pixel(430, 290), image.pixel(430, 290));  // the subject's own colours
}

TEST(Detour, DeuxSujetsDansUneSeuleImage)
{
    Dossier d;
    QImage image = texture(800, 500, 11);
    QImage masque(image.size(), QImage::Format_Grayscale8);
    masque.fill(0);
    sujet(image, masque, [](QPainter& p, bool blanc) {
        p.setBrush(blanc ? QColor(Qt::white) : QColor(230, 210, 60));
        p.drawEllipse(QRect(100, 120, 200, 260));
        p.setBrush(blanc ? QColor(Qt::white) : QColor(90, 60, 200));
        p.drawEllipse(QRect(500, 140, 180, 240));
    });
    const Resultat r = convertir({ecrire(d, "deux.jpg", image)}, "detour", {});
    ASSERT_EQ(r.crees.size(), 1);
    const QImage decoupe(r.crees[0]);
    EXPECT_GT(iou(decoupe, masque), 0.85);
    EXPECT_EQ(qAlpha(decoupe.pixel(200, 250)), 255);
    EXPECT_EQ(qAlpha(decoupe.pixel(590, 260)), 255);
}

TEST(Detour, PaysageSansSujet)
{
    Dossier d;
    QImage paysage = texture(640, 400, 3);
    QPainter p(&paysage);
    QLinearGradient ciel(0, 0, 0, 200);
    ciel.setColorAt(0, QColor(90, 140, 220));
    ciel.setColorAt(1, QColor(180, 210, 240));
    p.fillRect(QRect(0, 0, 640, 200), ciel);
    p.end();
    const QString source = ecrire(d, "paysage.jpg", paysage);
    const Resultat r = convertir({source}, "detour", {});
    EXPECT_TRUE(r.crees.isEmpty());
    EXPECT_EQ(r.erreurs, QStringList({"Aucun sujet trouvé dans « paysage.jpg »"}));
    EXPECT_EQ(d.noms(), QStringList({"paysage.jpg"}));

    QImage uni(300, 200, QImage::Format_RGB32);
    uni.fill(QColor(120, 120, 120));
    const Resultat r2 = convertir({ecrire(d, "gris.png", uni)}, "detour", {});
    EXPECT_EQ(r2.erreurs, QStringList({"Aucun sujet trouvé dans « gris.png »"}));
}

TEST(Detour, UnObjetQuiRemplitLeCadreNEstPasUnSujet)
{
    Dossier d;
    QImage image(400, 300, QImage::Format_RGB32);
    image.fill(QColor(30, 30, 30));
    QPainter p(&image);
    p.fillRect(QRect(4, 4, 392, 292), QColor(220, 60, 40));
    p.end();
    const Resultat r = convertir({ecrire(d, "plein.png", image)}, "detour", {});
    EXPECT_EQ(r.erreurs, QStringList({"Aucun sujet trouvé dans « plein.png »"}));
}

TEST(Detour, LAlphaDeLImageSertDeMasque)
{
    Dossier d;
    QImage logo(300, 200, QImage::Format_ARGB32);
    logo.fill(Qt::transparent);
    QImage masque(logo.size(), QImage::Format_Grayscale8);
    masque.fill(0);
    // Same colour as nothing around it: only the alpha can tell the shape.
    sujet(logo, masque, [](QPainter& p, bool blanc) {
        p.setBrush(blanc ? QColor(Qt::white) : QColor(240, 120, 20));
        p.drawEllipse(QRect(60, 40, 180, 120));
    });
    const Resultat r = convertir({ecrire(d, "logo.png", logo)}, "detour", {});
    ASSERT_EQ(r.crees.size(), 1);
    EXPECT_GT(iou(QImage(r.crees[0]), masque), 0.98);
}

TEST(Detour, PhotoTourneeGardeSaTaillePleineEtRedressee)
{
    Dossier d;
    QImage image = texture(600, 400, 5);
    QPainter p(&image);
    p.setBrush(QColor(220, 30, 160));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QRect(220, 120, 160, 160));
    p.end();
    const Resultat r = convertir({jpegOriente(d, "tournee.jpg", image, 6)}, "detour", {});
    ASSERT_EQ(r.crees.size(), 1);
    EXPECT_EQ(champ(r.crees[0], "width"), "400");
    EXPECT_EQ(champ(r.crees[0], "height"), "600");
    EXPECT_EQ(qAlpha(QImage(r.crees[0]).pixel(200, 300)), 255);
}

// A portrait: the subject leaves the frame at the bottom, as a bust does.
TEST(Detour, BusteQuiSortParLeBas)
{
    Dossier d;
    QImage image(600, 800, QImage::Format_RGB32);
    QPainter fond(&image);
    QLinearGradient g(0, 0, 0, 800);
    g.setColorAt(0, QColor(200, 205, 215));
    g.setColorAt(1, QColor(150, 155, 170));
    fond.fillRect(image.rect(), g);
    fond.end();
    QImage masque(image.size(), QImage::Format_Grayscale8);
    masque.fill(0);
    sujet(image, masque, [](QPainter& p, bool blanc) {
        p.setBrush(blanc ? QColor(Qt::white) : QColor(205, 150, 120));
        p.drawEllipse(QRect(220, 150, 160, 200));
        p.setBrush(blanc ? QColor(Qt::white) : QColor(40, 50, 110));
        p.drawRoundedRect(QRect(130, 330, 340, 520), 80, 80);
    });
    const Resultat r = convertir({ecrire(d, "buste.png", image)}, "detour", {});
    ASSERT_EQ(r.erreurs, QStringList());
    const QImage decoupe(r.crees.value(0));
    EXPECT_GT(iou(decoupe, masque), 0.9);
    EXPECT_EQ(qAlpha(decoupe.pixel(300, 799)), 255);  // down to the last row
}
