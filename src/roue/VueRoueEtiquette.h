#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QString>

namespace Roue {

// A cell's label: its symbol over its title, with two soft halos so that it reads on any
// background. Made once per text, colours and scale.
struct Etiquette {
    QImage image;     // with its device pixel ratio
    QPointF centre;   // the point of the image (logical) that sits on the label's place

    static Etiquette faire(const QString& titre, const QString& symbole, const QColor& couleur,
                           const QColor& halo, double echelle);
    void dessiner(QPainter& p, QPointF lieu) const;
    // What a label of `titre` covers (its symbol and its title, halos left out) at `lieu`.
    static QRectF cadre(const QString& titre, QPointF lieu);
};

} // namespace Roue
