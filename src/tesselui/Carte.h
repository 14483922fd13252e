#pragma once

#include "tesselui/Couleur.h"

#include <QWidget>

// A card surface around a content: `padding` on every edge, then a radius-24 rounded
// rectangle filled with `fond`, read from the palette at each paint.
class CarteVavirud : public QWidget {
    Q_OBJECT
public:
    CarteVavirud(QWidget* contenu, Couleur fond, double padding, QWidget* parent = nullptr);
    double padding() const { return padding_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    Couleur fond_;
    double padding_;
};
