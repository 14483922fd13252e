#pragma once

#include <QWidget>
#include <optional>

class QPainter;

// The canvas of an image tool: as wide as the window, of a fixed height, its corners rounded
// over a faint ink tint.
class CanevasPhoto : public QWidget {
public:
    CanevasPhoto(QWidget* parent, int hauteur);

protected:
    // Prepares `p` (smooth lines and pictures) and paints the tinted, rounded ground it then
    // clips to.
    void fond(QPainter& p) const;

    // The drag gesture, a plain click included: from the press to each position (the press's
    // own first), then to where the button came up.
    virtual void glisse(QPointF depart, QPointF ici) = 0;
    virtual void lache(QPointF depart, QPointF ici) = 0;

    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    std::optional<QPointF> depart_;
};

// The tinted, rounded ground of a tool's canvas over `r`, `p` prepared for smooth lines and
// pictures and clipped to it.
void fondDeCanevas(QPainter& p, const QRect& r);

// The small spinner of busy things: eight spokes around `c` from `r0` to `r1`, the one at
// `tour` (0 to 7, clockwise from the top) the brightest.
void peindreToupie(QPainter& p, QPointF c, int tour, const QColor& couleur, double r0, double r1, double largeur);
