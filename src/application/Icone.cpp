#include "application/Icone.h"

#include "roue/Symboles.h"

#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <cmath>
#include <functional>

namespace Icone {

namespace {

QImage toile(double echelle)
{
    const int px = qRound(cote * echelle);
    QImage image(px, px, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    image.setDevicePixelRatio(echelle);
    return image;
}

QRectF cercle(double r)
{
    const QPointF c(cote / 2.0, cote / 2.0);
    return QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r);
}

} // namespace

QImage anneau(double fraction, const QColor& couleur, double echelle)
{
    QImage image = toile(echelle);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QColor faible = couleur;
    faible.setAlphaF(float(couleur.alphaF() * piste));
    p.setPen(QPen(faible, epaisseur));
    p.drawEllipse(cercle(rayon));
    // NaN or out of range never gives an empty or overfull arc.
    const double q = std::clamp(std::isnan(fraction) ? 0.0 : fraction, auMoins, 1.0);
    QPen trait(couleur, epaisseur, Qt::SolidLine, Qt::RoundCap);
    p.setPen(trait);
    // Qt's angles run counter-clockwise in 1/16 degree: start at the top, sweep clockwise.
    p.drawArc(cercle(rayon), 90 * 16, -qRound(360 * 16 * q));
    return image;
}

QImage symbole(const QString& nom, const QColor& couleur, double echelle)
{
    return Symboles::image(nom, cote, couleur, echelle);
}

QIcon icone(const std::function<QImage(double)>& dessin)
{
    QIcon i;
    for (double e : {1.0, 2.0, 3.0})
        i.addPixmap(QPixmap::fromImage(dessin(e)));
    return i;
}

} // namespace Icone
