#include "fenetres/commun/CanevasPhoto.h"

#include "fenetres/commun/Couleurs.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <utility>

CanevasPhoto::CanevasPhoto(QWidget* parent, int hauteur) : QWidget(parent)
{
    setFixedHeight(hauteur);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void fondDeCanevas(QPainter& p, const QRect& r)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    QPainterPath bord;
    bord.addRoundedRect(QRectF(r), 12, 12);
    p.setClipPath(bord);
    p.fillRect(r, Couleurs::encre(0.05));
}

void CanevasPhoto::fond(QPainter& p) const { fondDeCanevas(p, rect()); }

void CanevasPhoto::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    depart_ = e->position();
    glisse(*depart_, e->position());
}

void CanevasPhoto::mouseMoveEvent(QMouseEvent* e)
{
    if (depart_)
        glisse(*depart_, e->position());
}

void CanevasPhoto::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton || !depart_)
        return;
    const QPointF depart = *std::exchange(depart_, std::nullopt);
    lache(depart, e->position());
}

void peindreToupie(QPainter& p, QPointF c, int tour, const QColor& couleur, double r0, double r1, double largeur)
{
    for (int i = 0; i < 8; ++i) {
        const double a = (i * 45.0) * M_PI / 180;
        QColor t = couleur;
        t.setAlphaF(float(0.25 + 0.75 * ((i - tour + 8) % 8) / 7.0));
        p.setPen(QPen(t, largeur, Qt::SolidLine, Qt::RoundCap));
        const QPointF d(std::sin(a), -std::cos(a));
        p.drawLine(c + d * r0, c + d * r1);
    }
}
