#include "fenetres/couper/MascotteEcoute.h"

#include "roue/Effets.h"

#include <QPainter>
#include <QPainterPath>

namespace {

QPainterPath ellipse(const QRectF& r)
{
    QPainterPath p;
    p.addEllipse(r);
    return p;
}

// Smooth at both ends, as the face's rocking moves.
double lisse(double x) { return x * x * (3 - 2 * x); }

} // namespace

MascotteEcoute::MascotteEcoute(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    resize(sizeHint());
    // A slow 5° sway needs few steps: twenty a second while the sound plays, ten while the
    // window waits, so that an idle window stays quiet.
    bercement_.setInterval(1000 / 10);
    connect(&bercement_, &QTimer::timeout, this, qOverload<>(&QWidget::update));
    connect(&animateur_, &Animateur::pas, this, qOverload<>(&QWidget::update));
    depuis_.start();
}

void MascotteEcoute::setEcoute(bool ecoute, bool reduire)
{
    ecoute = ecoute && !reduire;
    if (ecoute == ecoute_)
        return;
    ecoute_ = ecoute;
    bercement_.setInterval(1000 / (ecoute ? 20 : 10));
    yeux_.aller(ecoute ? 0.14 : 1, Mouvement::par(Fondu{0.16}), animateur_);
}

void MascotteEcoute::setFond(const QPixmap* ciel)
{
    fond_ = ciel;
    setAttribute(Qt::WA_OpaquePaintEvent, ciel != nullptr);
    update();
}

void MascotteEcoute::showEvent(QShowEvent*) { bercement_.start(); }
void MascotteEcoute::hideEvent(QHideEvent*) { bercement_.stop(); }

// The face upright, drawn once for each look of its eyes: a frame of the sway only turns it.
const QImage& MascotteEcoute::visage()
{
    const double dpr = devicePixelRatioF(), yeux = yeux_.valeur();
    if (!visage_.isNull() && visageYeux_ == yeux && visage_.devicePixelRatio() == dpr)
        return visage_;
    visage_ = QImage(size() * dpr, QImage::Format_ARGB32_Premultiplied);
    visage_.setDevicePixelRatio(dpr);
    visage_.fill(Qt::transparent);
    visageYeux_ = yeux;
    QPainter p(&visage_);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(width() / 2.0, centreY);
    const QRectF r(-diametre / 2, -diametre / 2, diametre, diametre);
    Roue::Effets::dessiner(p, {ellipse(r), 0, QColor(60, 80, 40, 46), 4, {}}, QPointF(0, 6));

    QLinearGradient fond(r.topLeft(), r.bottomRight());
    fond.setStops({{0, QColor(214, 236, 165)}, {0.5, QColor(244, 236, 198)}, {1, QColor(181, 229, 234)}});
    p.setPen(Qt::NoPen);
    p.setBrush(fond);
    p.drawEllipse(r);
    QRadialGradient reflet(r.left() + 0.34 * diametre, r.top() + 0.26 * diametre, 44);
    reflet.setColorAt(0, QColor(255, 255, 255, 191));
    reflet.setColorAt(1, QColor(255, 255, 255, 0));
    p.setBrush(reflet);
    p.drawEllipse(r);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 56), 1));
    p.drawEllipse(r.adjusted(0.5, 0.5, -0.5, -0.5));

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(21, 26, 48));
    const double w = 12.3, h = 23.4 * yeux;
    for (double x : {-3.3 - w, 3.3}) {
        const QRectF oeil(x, -5 - h / 2, w, h);
        p.drawRoundedRect(oeil, w / 2, std::min(w, h) / 2);
    }
    return visage_;
}

void MascotteEcoute::paintEvent(QPaintEvent*)
{
    // Two phases of 0.55 s each, eased, for ever: upright, then turned (and lifted).
    const double t = depuis_.elapsed() / 550.0;
    const long long k = static_cast<long long>(t);
    const double phase = k % 2 == 0 ? lisse(t - k) : 1 - lisse(t - k);
    const QImage& image = visage();
    QPainter p(this);
    if (fond_) {
        const double r = fond_->devicePixelRatio();
        p.drawPixmap(QRectF(rect()), *fond_, QRectF(QPointF(pos()) * r, QSizeF(size()) * r));
    }
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.translate(width() / 2.0, centreY + (ecoute_ ? -2 * phase : 0));
    p.rotate((ecoute_ ? 5 : -5) * phase);
    p.translate(-width() / 2.0, -centreY);
    p.drawImage(QPointF(0, 0), image);
}
