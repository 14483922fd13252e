#include "fenetres/ApercuCouper.h"

#include "fenetres/Couleurs.h"
#include "fenetres/Passage.h"
#include "fenetres/VueCouper.h"
#include "roue/Effets.h"
#include "roue/Symboles.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVideoFrame>
#include <QVideoSink>
#include <cmath>

namespace {

constexpr double diametreBouton = 58, diametreFace = 78, espace = 22;
constexpr double centreY = 46;  // the face's centre in its widget, room below for its shadow

QPainterPath ellipse(const QRectF& r)
{
    QPainterPath p;
    p.addEllipse(r);
    return p;
}

// Smooth at both ends, as the face's rocking moves.
double lisse(double x) { return x * x * (3 - 2 * x); }

} // namespace

QFont policeTemps()
{
    QFont f;
    f.setPixelSize(13);  // 12.5 points, to the nearest pixel; the default face's digits are even
    return f;
}

BoutonLecture::BoutonLecture(bool video, QWidget* parent) : QAbstractButton(parent)
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setToolTip(video ? tr("Lire le passage choisi (espace)") : tr("Écouter le passage choisi (espace)"));
    setAccessibleName(video ? tr("Lire le passage") : tr("Écouter le passage"));
    resize(sizeHint());
}

void BoutonLecture::setLit(bool lit)
{
    if (lit == lit_)
        return;
    lit_ = lit;
    update();
}

QRectF BoutonLecture::cercle() const { return {8, 6, diametreBouton, diametreBouton}; }

bool BoutonLecture::hitButton(const QPoint& p) const { return ellipse(cercle()).contains(p); }

void BoutonLecture::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF c = cercle();
    Effets::dessiner(p, {ellipse(c), 0, QColor(0, 0, 0, 51), 4.5, {}}, QPointF(0, 6));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, isDown() ? 200 : 230));
    p.drawEllipse(c);
    const double dpr = devicePixelRatioF();
    const QImage s = Symboles::image(lit_ ? QStringLiteral("pause.fill") : QStringLiteral("play.fill"), 20,
                                     Couleurs::encre(), dpr);
    // The play triangle looks centred a little right of the circle's centre.
    Effets::dessinerImage(p, c.center() - QPointF(lit_ ? 10 : 9, 10), s);
}

MascotteEcoute::MascotteEcoute(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    resize(sizeHint());
    // Twenty steps a second are plenty for a slow 5° sway, and keep an idle window quiet.
    bercement_.setInterval(1000 / 20);
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
    const QRectF r(-diametreFace / 2, -diametreFace / 2, diametreFace, diametreFace);
    Effets::dessiner(p, {ellipse(r), 0, QColor(60, 80, 40, 46), 4, {}}, QPointF(0, 6));

    QLinearGradient fond(r.topLeft(), r.bottomRight());
    fond.setStops({{0, QColor(214, 236, 165)}, {0.5, QColor(244, 236, 198)}, {1, QColor(181, 229, 234)}});
    p.setPen(Qt::NoPen);
    p.setBrush(fond);
    p.drawEllipse(r);
    QRadialGradient reflet(r.left() + 0.34 * diametreFace, r.top() + 0.26 * diametreFace, 44);
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

ApercuCouper::ApercuCouper(Passage& passage, bool reduire, QWidget* parent)
    : QWidget(parent), p_(passage), reduire_(reduire)
{
    setFixedHeight(passage.video() ? 250 : 130);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    bouton_ = new BoutonLecture(passage.video(), this);
    connect(bouton_, &QAbstractButton::clicked, &passage, &Passage::basculer);
    if (passage.video()) {
        sink_ = new QVideoSink(this);
        connect(sink_, &QVideoSink::videoFrameChanged, this, [this](const QVideoFrame& f) {
            image_ = f.toImage();
            update();
        });
        passage.lecteur().afficher(sink_);
    } else {
        face_ = new MascotteEcoute(this);
    }
    connect(&passage, &Passage::change, this, &ApercuCouper::majEtat);
    majEtat();
}

void ApercuCouper::majEtat()
{
    bouton_->setLit(p_.lit());
    if (face_)
        face_->setEcoute(p_.lit(), reduire_);
    const QString texte = VueCouper::minutes(p_.pos(), true);
    if (texte != position_) {
        const QRect avant = pilule();
        position_ = texte;
        update(avant.united(pilule()));
    }
}

QRect ApercuCouper::pilule() const
{
    const int w = QFontMetrics(policeTemps()).horizontalAdvance(position_) + 18;
    return {10, height() - 10 - 24, w, 24};
}

void ApercuCouper::resizeEvent(QResizeEvent*)
{
    const double total = diametreBouton + (face_ ? diametreFace + espace : 0);
    const double x = (width() - total) / 2, y = height() / 2.0;
    if (face_)
        face_->move(qRound(x + diametreFace / 2 - face_->width() / 2.0), qRound(y - centreY));
    const double cx = x + (face_ ? diametreFace + espace : 0) + diametreBouton / 2;
    bouton_->move(qRound(cx - 37), qRound(y - 35));
    if (!face_)
        return;
    // The sky, painted once for this size.
    const double dpr = devicePixelRatioF();
    QImage ciel((size() * dpr), QImage::Format_ARGB32_Premultiplied);
    ciel.setDevicePixelRatio(dpr);
    QPainter p(&ciel);
    p.setRenderHint(QPainter::Antialiasing);
    const double w = width(), h = height();
    QLinearGradient fond(0, 0, w, h);
    fond.setStops({{0, QColor(226, 240, 190)}, {0.55, QColor(246, 240, 214)}, {1, QColor(204, 235, 238)}});
    p.fillRect(rect(), fond);
    Effets::dessiner(p, {ellipse(QRectF(0.2 * w - 60 - 0.2 * w, 35 - 75, 0.4 * w, 150)), 0, QColor(255, 255, 255, 184), 14, {}});
    Effets::dessiner(p, {ellipse(QRectF(0.67 * w - 0.17 * w, h - 5 - 65, 0.34 * w, 130)), 0, QColor(255, 255, 255, 153), 15, {}});
    p.end();
    ciel_ = QPixmap::fromImage(ciel);
    face_->setFond(&ciel_);
}

void ApercuCouper::paintEvent(QPaintEvent* e)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    // The rounded clip costs more than the rest: only where a corner is repainted (the
    // face's sway repaints the middle alone, twenty times a second).
    if (!rect().adjusted(12, 12, -12, -12).contains(e->rect())) {
        QPainterPath bord;
        bord.addRoundedRect(QRectF(rect()), 12, 12);
        p.setClipPath(bord);
    }
    if (face_) {
        p.drawPixmap(e->rect(), ciel_, QRectF(QPointF(e->rect().topLeft()) * ciel_.devicePixelRatio(),
                                              QSizeF(e->rect().size()) * ciel_.devicePixelRatio()));
    } else {
        p.fillRect(rect(), Qt::black);
        if (!image_.isNull()) {
            QSizeF s = image_.size();
            s.scale(size(), Qt::KeepAspectRatio);
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.drawImage(QRectF(QPointF((width() - s.width()) / 2, (height() - s.height()) / 2), s), image_);
        }
    }
    const QRect r = pilule();
    if (!r.intersects(e->rect()))
        return;
    p.setPen(Qt::NoPen);
    p.setBrush(Couleurs::encre(0.62));
    p.drawRoundedRect(r, 12, 12);
    p.setPen(Qt::white);
    p.setFont(policeTemps());
    p.drawText(r, Qt::AlignCenter, position_);
}
