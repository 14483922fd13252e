#pragma once

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QLinearGradient>
#include <QRectF>

namespace Roue {

// The wheel's colours and fonts.
namespace Couleurs {

QColor blanc(double opacite);
// `c` with its opacity multiplied by `facteur`.
QColor attenuee(QColor c, double facteur);

QColor encre();           // ink: labels of lit cells, the title capsule, the mascot's text
QColor lueurTilleul();    // glow of a lit petal
QColor lueurRose();       // glow of the lit "Modifier" petal and of a lit tool
// Fill of a lit petal, across `cadre` from its top-left to its bottom-right corner.
QLinearGradient tilleulVerre(const QRectF& cadre);
// A gradient of the given colours, evenly spaced, across `cadre` corner to corner.
QLinearGradient diagonale(const QRectF& cadre, const QList<QColor>& couleurs);

} // namespace Couleurs

// The colours that differ between the light and the dark appearance.
struct Teintes {
    QColor fond;        // fill of an unlit petal
    QColor contour;     // the disc's thin outline
    QColor libelle;     // labels of unlit petals and tools
    QColor halo;        // halo behind those labels
    QColor ombreVerre;  // shadow of the disc's outline
    QColor ombre;       // shadow of an unlit cell

    explicit Teintes(bool sombre);
};

// The wheel's rounded sans at a size in logical pixels that may hold a fraction (one point
// of the design = one pixel). Qt's fonts take whole pixel sizes only: the font is made `sur`
// times larger, then measured and drawn scaled down by as much.
class PoliceRonde {
public:
    static constexpr int sur = 8;

    PoliceRonde(double pixels, QFont::Weight graisse);
    double taille() const { return taille_; }
    // The font at `sur` times the size, for a layout made at that scale.
    const QFont& grande() const { return grande_; }
    double largeur(const QString& texte) const;
    double hauteur() const;
    double ascendante() const;
    // `texte` cut with an ellipsis to fit `largeur`.
    QString elider(const QString& texte, double largeur) const;
    // Draws `texte` with its baseline starting at `origine`, in the painter's pen.
    void dessiner(QPainter& p, QPointF origine, const QString& texte) const;

private:
    double taille_;
    QFont grande_;
};

} // namespace Roue
