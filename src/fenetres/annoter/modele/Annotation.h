#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QUuid>
#include <array>

class QPainter;

// One mark of the annotate tool, in photo pixels (origin top-left, y down).
struct Annotation {
    enum class Genre { fleche, cadre, texte };
    Genre genre = Genre::fleche;
    QPointF a;  // arrow: tail; frame: a corner; text: its top-left corner
    QPointF b;  // arrow: tip; frame: the opposite corner; text: equal to a
    QString texte;  // as typed, blanks kept; empty for arrows and frames
    QColor couleur;
    // Identity: a fresh one for every mark made, also at each move while it is traced.
    QUuid id = QUuid::createUuid();
};

// The six colours of the marks; the window starts on the red one.
const std::array<QColor, 6>& couleursAnnotation();
inline constexpr int couleurInitiale = 1;

// The three tools, in the order of their choice: what each is called and makes.
struct OutilAnnotation {
    QString titre;
    QString symbole;  // a system symbol name
    QString aide;
    Annotation::Genre genre;
};
const std::array<OutilAnnotation, 3>& outilsAnnotation();

// The sizes of the marks on one photo, in its pixels: they grow with its short side.
struct Mesure {
    double trait;   // stroke width
    double police;  // letter size

    static Mesure pour(QSizeF image);
    // The arrow head's three corners, tip first.
    std::array<QPointF, 3> pointe(QPointF a, QPointF b) const;
    // Where the shaft stops, inside the head, so its round cap stays hidden.
    QPointF finTige(QPointF a, QPointF b) const;
};

// Paints one mark: its geometry in photo pixels, shown at scale `k` from `o`. The canvas
// and the saved file both paint through it, so the file looks like the canvas.
void dessiner(QPainter& p, const Annotation& marque, double k, QPointF o, const Mesure& m);

namespace Retouches {

// The photo with every mark painted over it in order, at full size. Throws
// Conversions::Erreur::ecriture("image") when the picture cannot be made.
QImage annoter(const QImage& photo, const QList<Annotation>& marques);

} // namespace Retouches
