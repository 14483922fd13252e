#include "fenetres/lumiere/CurseurReglage.h"

#include "fenetres/commun/AnneauClavier.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QStyleOptionSlider>

CurseurReglage::CurseurReglage(const QString& nom, int pas, QWidget* parent)
    : QSlider(Qt::Horizontal, parent), anneau_(new AnneauClavier(this))
{
    setAccessibleName(nom);
    setRange(-pas, pas);
    setSingleStep(1);
    setPageStep(10);
    setValue(0);
    // The grey tint of the track: the style's own focus outline, drawn in it, would not show.
    QPalette grise = palette();
    grise.setColor(QPalette::Highlight, QColor(204, 204, 204));
    setPalette(grise);
}

bool CurseurReglage::anneau() const { return anneau_->montre(); }

void CurseurReglage::paintEvent(QPaintEvent* e)
{
    QSlider::paintEvent(e);
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect poignee = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    QPainterPath autour;
    autour.addRoundedRect(QRectF(poignee), 3, 3);  // the slider is no taller than its handle
    QPainter p(this);
    anneau_->peindre(p, autour);
}
