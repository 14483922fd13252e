#pragma once

#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QString>

class QPainter;

// The system face at a size in logical pixels that may hold a fraction (12.5), with digits
// that do not dance: each digit stands centred in a cell as wide as the widest digit, so a
// changing number keeps its width. Qt 6.4 has no switch for a font's tabular figures, and
// takes whole pixel sizes only: the font is made `sur` times larger, measured and drawn
// scaled down by as much, as the wheel does.
class Chiffres {
public:
    static constexpr int sur = 8;

    explicit Chiffres(double pixels, QFont::Weight graisse = QFont::Normal);

    double taille() const { return taille_; }
    double largeur(const QString& texte) const;
    // The width of one digit's cell.
    double cellule() const { return cellule_ / sur; }
    double hauteur() const;
    double ascendante() const;
    // Draws `texte` with its baseline starting at `origine`, in the painter's pen.
    void dessiner(QPainter& p, QPointF origine, const QString& texte) const;
    // Draws `texte` in `r`, left, right or centred, centred vertically.
    void dessiner(QPainter& p, const QRectF& r, Qt::Alignment alignement, const QString& texte) const;

private:
    double taille_;
    QFont grande_;
    double cellule_;
};
