#include "tesselui/Carte.h"

#include "tesselui/Theme.h"

#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

CarteVavirud::CarteVavirud(QWidget* contenu, Couleur fond, double padding, QWidget* parent)
    : QWidget(parent), fond_(std::move(fond)), padding_(std::isfinite(padding) ? std::clamp(padding, 0.0, 4096.0) : 0)
{
    auto* l = new QVBoxLayout(this);
    const int m = int(std::lround(padding_));
    l->setContentsMargins(m, m, m, m);
    if (contenu)
        l->addWidget(contenu);
}

void CarteVavirud::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    Theme::peindreCarte(p, QRectF(rect()), Theme::de(fond_, this));
}
