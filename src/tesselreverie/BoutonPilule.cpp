#include "tesselreverie/BoutonPilule.h"

#include "tesselreverie/Reverie.h"
#include "tesselui/Motion.h"
#include "tesselui/Theme.h"
#include "tesselui/Vavirud.h"

#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

namespace {
// The label's icon (set with setIcon) is as tall as its text.
constexpr double coteIcone = 15;
}

BoutonPilule::BoutonPilule(const QString& texte, bool plein, double hauteur, QWidget* parent)
    : BoutonAnime(parent), plein_(plein), hauteur_(std::clamp(std::isfinite(hauteur) ? hauteur : 44, 0.0, 4096.0))
{
    setText(texte);
    setFont(Vavirud::texte(15, 500));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

BoutonPilule::Couleurs BoutonPilule::couleurs(bool plein, bool destructive, const QPalette& palette)
{
    if (plein)
        return {Reverie::surAction().pour(palette), Reverie::action().pour(palette), Qt::transparent};
    QColor bord = Reverie::encre().pour(palette);
    bord.setAlphaF(0.1f);
    return {destructive ? Theme::danger().pour(palette) : Reverie::encre().pour(palette), Reverie::papier().pour(palette), bord};
}

QSize BoutonPilule::sizeHint() const
{
    // The painter insets the pill by one pixel on each side: the hint gives them back.
    return QSizeF(std::ceil(largeurEtiquette({}, font(), coteIcone)) + 40 + 2, hauteur_ + 2).toSize();
}

double BoutonPilule::echelleCible() const { return echelle(isDown(), Motion::reduire()); }

void BoutonPilule::peindreBouton(QPainter& p, const QRectF& r)
{
    const Couleurs c = couleurs(plein_, destructive(), palette());
    const double rayon = std::min(r.width(), r.height()) / 2;
    p.setPen(Qt::NoPen);
    p.setBrush(c.fond);
    p.drawRoundedRect(r, rayon, rayon);
    if (c.bord.alpha() > 0) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(c.bord, 1));
        p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), rayon, rayon);
    }
    p.setPen(c.texte);
    p.setFont(font());
    peindreEtiquette(p, r.adjusted(20, 0, -20, 0), {}, coteIcone);
}
