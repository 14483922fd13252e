#include "application/Icone.h"

#include "roue/Symboles.h"

#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <cmath>
#include <functional>

namespace Application {

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

QColor halo(const QColor& encre)
{
    return encre.lightnessF() < 0.5 ? QColor(255, 255, 255, 235) : QColor(0, 0, 0, 220);
}

QImage avecHalo(const QImage& image, const QColor& couleur)
{
    // The picture's shape in the halo's colour, laid around it in a ring of offsets.
    QImage forme = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    {
        QPainter p(&forme);
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(forme.rect(), couleur);
    }
    // Painted in device pixels; the ratio is given back at the end.
    QImage resultat(image.size(), QImage::Format_ARGB32_Premultiplied);
    resultat.fill(Qt::transparent);
    forme.setDevicePixelRatio(1);
    QImage brute = image;
    brute.setDevicePixelRatio(1);
    const double r = largeurHalo * image.devicePixelRatio();
    {
        QPainter p(&resultat);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        for (int k = 0; k < 16; ++k) {
            const double a = k * M_PI / 8;
            p.drawImage(QPointF(r * std::cos(a), r * std::sin(a)), forme);
        }
        p.drawImage(QPointF(0, 0), brute);
    }
    resultat.setDevicePixelRatio(image.devicePixelRatio());
    return resultat;
}

QIcon icone(const std::function<QImage(double)>& dessin, const QColor& encre)
{
    QIcon i;
    const QColor h = halo(encre);
    for (double e : {1.0, 2.0, 3.0})
        i.addPixmap(QPixmap::fromImage(avecHalo(dessin(e), h)));
    return i;
}

} // namespace Icone

} // namespace Application
