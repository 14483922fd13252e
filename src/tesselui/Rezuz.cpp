#include "tesselui/Rezuz.h"

#include "designtokens/Tokens.h"
#include "tesselui/Accessible.h"
#include "tesselui/Motion.h"
#include "tesselui/Theme.h"

#include <QCursor>
#include <QEvent>
#include <QPainter>
#include <QRandomGenerator>
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace {

struct Rebond {
    double h, up, squash;
};

const QList<Rebond>& rebonds(Rezuz::JumpKind k)
{
    static const QList<Rebond> hop{{0.2, 0.24, 0.76}, {0.05, 0.12, 0.9}};
    static const QList<Rebond> drop{{0.34, 0.3, 0.68}, {0.15, 0.2, 0.8}, {0.06, 0.13, 0.9}};
    return k == Rezuz::JumpKind::hop ? hop : drop;
}

double borne(double x) { return std::clamp(x, 0.0, 1.0); }
double lerp(double a, double b, double s) { return a + (b - a) * s; }
double hasard(double a, double b) { return a + (b - a) * QRandomGenerator::global()->generateDouble(); }

} // namespace

const MascotBody& MascotBody::round()
{
    static const MascotBody b{[](const QRectF& r) {
                                  QPainterPath p;
                                  p.addEllipse(r);
                                  return p;
                              },
                              1, SuiteEyes::width, SuiteEyes::height, SuiteEyes::gap, -0.05, 0};
    return b;
}

Rezuz::Pose Rezuz::pose(JumpKind kind, double t)
{
    if (!(t >= 0.1)) {
        const double p = std::isnan(t) ? 0 : t / 0.1;
        const double e = borne(p * (2 - p));
        return {0, 1 + (0.82 - 1) * e, 0.03 * borne(p)};
    }
    double u = t - 0.1, s0 = 0.82, q0 = 0.03, dernierSquash = 0.82, dernierH = 0.15;
    for (const Rebond& b : rebonds(kind)) {
        if (u < b.up) {
            const double r = u / b.up, pic = 1 + 0.5 * b.h;
            return {-b.h * (1 - (1 - r) * (1 - r)),
                    r < 0.25 ? lerp(s0, pic, borne(4 * r)) : lerp(pic, 1, borne((r - 0.25) / 0.75)),
                    r < 0.4 ? lerp(q0, 0.18 * b.h, borne(r / 0.4)) : lerp(0.18 * b.h, -0.12 * b.h, borne((r - 0.4) / 0.6))};
        }
        u -= b.up;
        const double chute = 0.85 * b.up;
        if (u < chute) {
            const double f = u / chute;
            return {-b.h * (1 - f * f), lerp(1, 1 + 0.35 * b.h, borne(f * f)), lerp(-0.12 * b.h, -0.08 * b.h, borne(f))};
        }
        u -= chute;
        if (u < 0.06) {
            const double s = borne(u / 0.06);
            return {0, lerp(1 + 0.35 * b.h, b.squash, s), lerp(-0.08 * b.h, 0.2 * b.h, s)};
        }
        u -= 0.06;
        s0 = dernierSquash = b.squash;
        q0 = 0.2 * b.h;
        dernierH = b.h;
    }
    const double tau = std::min(u, 0.5);
    return {0, 1 + (dernierSquash - 1) * std::exp(-tau / 0.12) * std::cos(2 * std::numbers::pi * tau / 0.22),
            0.2 * dernierH * std::exp(-tau / 0.1) * std::cos(2 * std::numbers::pi * 4 * tau)};
}

double Rezuz::duration(JumpKind kind)
{
    double d = 0.1 + 0.5;
    for (const Rebond& b : rebonds(kind))
        d += 1.85 * b.up + 0.06;
    return d;
}

QList<double> Rezuz::arrets(int n)
{
    QList<double> a;
    for (int i = 0; n >= 2 && i < n; ++i)
        a << (n == 3 && i == 1 ? 0.55 : double(i) / (n - 1));
    return a;
}

QPainterPath Rezuz::heartEye(const QRectF& r)
{
    const double w = r.width(), h = r.height();
    const auto pt = [&](double x, double y) { return r.topLeft() + QPointF(x, y); };
    const auto lobe = [&](double cx, double cy, double rad) {
        return QRectF(r.left() + cx - rad, r.top() + cy - rad, 2 * rad, 2 * rad);
    };
    QPainterPath p(pt(0.5 * w, h));
    p.cubicTo(pt(0.32 * w, 0.82 * h), pt(0, 0.6 * h), pt(0, 0.32 * h));
    // Both lobes go over the top: in Qt's angles (counter-clockwise on screen) that is a
    // negative sweep from the mirrored start.
    p.arcTo(lobe(0.25 * w, 0.28 * h, 0.25 * w), -170, -190);
    p.arcTo(lobe(0.75 * w, 0.28 * h, 0.25 * w), -180, -190);
    p.cubicTo(pt(w, 0.6 * h), pt(0.68 * w, 0.82 * h), pt(0.5 * w, h));
    p.closeSubpath();
    return p;
}

QPainterPath Rezuz::happyEye(const QRectF& r)
{
    QPainterPath p(r.bottomLeft());
    p.quadTo(QPointF(r.center().x(), r.top() - 0.9 * r.height()), r.bottomRight());
    return p;
}

QPointF Rezuz::suivre(double dx, double dy)
{
    const double d = std::max(std::hypot(dx, dy), 1.0), k = std::min(d / 140, 1.0);
    return {dx / d * k, dy / d * k};
}

Rezuz::Rezuz(double size, const MascotBody& body, QWidget* parent) : QWidget(parent), size_(size), body_(body)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    // A decoration: screen readers never meet it, nor its layer.
    Accessible::cacher(this);
    connect(&animateur_, &Animateur::pas, this, &Rezuz::repeindre);
    vie_.setInterval(33);
    images_.setInterval(16);
    images_.setTimerType(Qt::PreciseTimer);
    connect(&vie_, &QTimer::timeout, this, &Rezuz::live);
    connect(&images_, &QTimer::timeout, this, [this] {
        // The frames run only while a jump does.
        if (!jumpStart_.isValid())
            images_.stop();
        repeindre();
    });
    rebonds_.setSingleShot(true);
    connect(&rebonds_, &QTimer::timeout, this, &Rezuz::rebond);
    horloge_.start();
    // The live loop follows the reduce-motion setting as it changes, as on a new appearance.
    Motion::suivreBureau();
    connect(&Motion::veilleur(), &Motion::Veilleur::change, this, [this] {
        vie_.stop();
        rebonds_.stop();
        if (isVisible()) {
            showEvent(nullptr);
            if (reduire())
                jumpStart_.invalidate();
        }
        repeindre();
    });
}

// The layer the mascot is drawn on: a sibling above it, transparent to the pointer, larger
// than its frame so that a hop is not cut off.
class Rezuz::Calque : public QWidget {
public:
    Calque(Rezuz* r, QWidget* parent) : QWidget(parent), rezuz_(r)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_TranslucentBackground);
        setAttribute(Qt::WA_NoSystemBackground);
        Accessible::cacher(this);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const QMargins m = rezuz_->debord();
        rezuz_->peindre(p, QPointF(m.left() + rezuz_->width() / 2.0, m.top() + rezuz_->height()), rezuz_->currentPose());
    }

private:
    Rezuz* rezuz_;
};

Rezuz::~Rezuz() { delete calque_.data(); }

QMargins Rezuz::debord() const
{
    const double s = std::isfinite(size_) ? std::clamp(size_, 0.0, 2000.0) : 40;
    // Up: the highest bounce and its stretch; sideways: the widest squash.
    const int haut = int(std::ceil(s * 0.55)), cote = int(std::ceil(s * body_.aspect * 0.2)) + 1;
    return {cote, haut, cote, 1};
}

void Rezuz::repeindre()
{
    if (calque_)
        calque_->update();
    else
        update();
    emit redessine();
}

void Rezuz::placerCalque()
{
    if (!parentWidget()) {
        delete calque_.data();
        return;
    }
    if (!calque_ || calque_->parentWidget() != parentWidget()) {
        delete calque_.data();
        calque_ = new Calque(this, parentWidget());
    }
    calque_->setGeometry(geometry().marginsAdded(debord()));
    calque_->setVisible(isVisible());
    calque_->raise();
    calque_->update();
}

void Rezuz::moveEvent(QMoveEvent*) { placerCalque(); }
void Rezuz::resizeEvent(QResizeEvent*) { placerCalque(); }

void Rezuz::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::ParentChange)
        placerCalque();
    QWidget::changeEvent(e);
}

bool Rezuz::reduire() const { return Motion::reduire(); }

QSize Rezuz::sizeHint() const
{
    const double s = std::isfinite(size_) ? std::clamp(size_, 0.0, 2000.0) : 40;
    return QSizeF(s * body_.aspect, s).toSize();
}

void Rezuz::setMascotSize(double size)
{
    size_ = size;
    updateGeometry();
    placerCalque();
}

void Rezuz::setJoy(int joy)
{
    if (joy == joy_)
        return;
    joy_ = joy;
    if (!reduire())
        jump(JumpKind::hop);
}

void Rezuz::setLove(int love)
{
    if (love == love_)
        return;
    love_ = love;
    celebrate(Mood::love);
}

void Rezuz::setBouncing(bool b)
{
    bouncing_ = b;
    if (b && !reduire() && isVisible())
        rebond();
    else if (!b)
        rebonds_.stop();
}

void Rezuz::setLookAt(std::optional<QPointF> p)
{
    lookAt_ = p;
    if (p)
        regarder(*p, Motion::adapt(Mouvement::par(Ressort{0.35, 0.7}), reduire()));
}

void Rezuz::setCiel(std::optional<QList<QColor>> ciel)
{
    ciel_ = std::move(ciel);
    repeindre();
}

void Rezuz::regarder(QPointF g, const Mouvement& m)
{
    gazeX_.aller(g.x(), m, animateur_);
    gazeY_.aller(g.y(), m, animateur_);
}

void Rezuz::jump(JumpKind kind)
{
    jumpKind_ = kind;
    jumpStart_.start();
    images_.start();
    const double d = duration(kind);
    QTimer::singleShot(int(d * 1000) + 1, this, [this, d] {
        // A newer jump is not cut short by an older one's end.
        if (jumpStart_.isValid() && jumpStart_.elapsed() >= (d - 0.01) * 1000)
            jumpStart_.invalidate();
    });
}

void Rezuz::celebrate(Mood mood)
{
    ancienne_.fixer(0);
    mood_ = mood;
    blink_ = false;
    paupiere_.fixer(1);
    regarder({0, 0}, Motion::adapt(Mouvement::par(Ressort{0.22, 0.55}), reduire()));
    if (!reduire())
        jump(mood == Mood::love ? JumpKind::drop : JumpKind::hop);
    QTimer::singleShot(mood == Mood::love ? 3400 : 1600, this, &Rezuz::revenirALaNormale);
    repeindre();
}

void Rezuz::revenirALaNormale()
{
    if (mood_ == Mood::normal)
        return;
    // Back to the normal eyes with a 0.25 s ease-in-out: the mood's eyes fade out as the
    // normal ones fade in and the eyes draw together.
    moodAvant_ = mood_;
    mood_ = Mood::normal;
    ancienne_.fixer(1);
    ancienne_.aller(0, Mouvement::par(Fondu{0.25, 0, Courbe::easeInOut}), animateur_);
    repeindre();
}

void Rezuz::rebond()
{
    if (!bouncing_ || reduire() || !isVisible())
        return;
    const JumpKind k = QRandomGenerator::global()->bounded(2) ? JumpKind::drop : JumpKind::hop;
    jump(k);
    rebonds_.start(int(duration(k) * 1000) + int(QRandomGenerator::global()->bounded(120, 381)));
}

void Rezuz::cligner()
{
    // Closing over 0.09 s and opening over 0.12 s, both eased in and out.
    blink_ = true;
    paupiere_.aller(0.12, Mouvement::par(Fondu{0.09, 0, Courbe::easeInOut}), animateur_);
    QTimer::singleShot(110, this, [this] {
        blink_ = false;
        paupiere_.aller(1, Mouvement::par(Fondu{0.12, 0, Courbe::easeInOut}), animateur_);
    });
}

void Rezuz::live()
{
    if (mood_ != Mood::normal || reduire())
        return;
    const double now = horloge_.elapsed() / 1000.0;
    if (!lookAt_) {
        const QPoint souris = QCursor::pos();
        if (souris != dernierPointeur_)
            dernierMouvement_ = now;
        dernierPointeur_ = souris;
        if (now - dernierMouvement_ < 2.5) {
            const QPointF c = mapToGlobal(QPointF(width() / 2.0, height() / 2.0));
            // The gaze's y grows downwards, as the screen's does here.
            regarder(suivre(souris.x() - c.x(), souris.y() - c.y()), Mouvement::par(Fondu{0.1}));
            prochainCoupDOeil_ = now + hasard(1.2, 2.4);
        } else if (now >= prochainCoupDOeil_) {
            static constexpr std::array xs{-1.0, -0.5, 0.3, 0.8, 1.0};
            static constexpr std::array ys{-0.3, 0.0, 0.0, 0.3};
            auto* g = QRandomGenerator::global();
            regarder({xs[g->bounded(int(xs.size()))], ys[g->bounded(int(ys.size()))]},
                     Mouvement::par(Fondu{0.35, 0, Courbe::easeInOut}));
            prochainCoupDOeil_ = now + hasard(1.6, 3.4);
        }
    }
    if (now >= prochainClin_) {
        cligner();
        prochainClin_ = now + hasard(2.5, 5.5);
    }
}

void Rezuz::showEvent(QShowEvent*)
{
    placerCalque();
    if (reduire()) {
        gazeX_.fixer(lookAt_ ? lookAt_->x() : 0.3);
        gazeY_.fixer(lookAt_ ? lookAt_->y() : 0);
        return;
    }
    const double now = horloge_.elapsed() / 1000.0;
    dernierPointeur_ = QCursor::pos();
    prochainClin_ = now + 2;
    prochainCoupDOeil_ = now + hasard(2, 4);
    vie_.start();
    if (jumpStart_.isValid())
        images_.start();
    if (bouncing_)
        rebond();
}

void Rezuz::hideEvent(QHideEvent*)
{
    // Hidden, it costs nothing: no loop, no frames.
    if (calque_)
        calque_->hide();
    vie_.stop();
    images_.stop();
    rebonds_.stop();
}

Rezuz::Pose Rezuz::currentPose() const
{
    return jumpStart_.isValid() ? pose(jumpKind_, jumpStart_.nsecsElapsed() / 1e9) : Pose{};
}

void Rezuz::peindre(QPainter& p, const QPointF& pied, const Pose& ps) const
{
    const double s = size_;
    if (!(s > 0) || !std::isfinite(s))
        return;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setTransform(placement(pied, ps), true);
    const QRectF corps = this->corps();
    const QPainterPath forme = body_.shape(corps);
    const QColor accent = Theme::de(Theme::brandAccent(), this);
    QBrush peau(accent);
    if (ciel_ && ciel_->size() >= 2) {
        QLinearGradient g(corps.topLeft(), corps.bottomRight());
        const QList<double> a = arrets(int(ciel_->size()));
        for (int i = 0; i < a.size(); ++i)
            g.setColorAt(a[i], (*ciel_)[i]);
        peau = QBrush(g);
    }
    p.setPen(Qt::NoPen);
    p.fillPath(forme, peau);
    if (body_.outline > 0)
        p.strokePath(forme, QPen(peau, body_.outline * s, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    if (ciel_) {
        QRadialGradient reflet(corps.left() + 0.3 * corps.width(), corps.top() + 0.22 * corps.height(), 0.5 * s);
        reflet.setColorAt(0, QColor(255, 255, 255, 178));
        reflet.setColorAt(1, QColor(255, 255, 255, 0));
        p.fillPath(forme, reflet);
    }
    // The eye row; while the normal eyes come back, the last mood's eyes fade out over them.
    const double retour = std::clamp(ancienne_.valeur(), 0.0, 1.0);
    if (retour > 0 && mood_ == Mood::normal) {
        const double o = p.opacity();
        p.setOpacity(o * retour);
        peindreYeux(p, s, ps, moodAvant_, retour);
        p.setOpacity(o * (1 - retour));
        peindreYeux(p, s, ps, Mood::normal, retour);
        p.setOpacity(o);
    } else {
        peindreYeux(p, s, ps, mood_, 0);
    }
    p.restore();
}

QTransform Rezuz::placement(const QPointF& pied, const Pose& ps) const
{
    QTransform t;
    t.translate(pied.x(), pied.y() + ps.lift * size_);
    t.scale(std::pow(std::max(ps.stretch, 0.01), -0.85), ps.stretch);
    return t;
}

QRectF Rezuz::corps() const { return {-size_ * body_.aspect / 2, -size_, size_ * body_.aspect, size_}; }

QPainterPath Rezuz::silhouette() const
{
    if (!(size_ > 0) || !std::isfinite(size_))
        return {};
    QPainterPath forme = body_.shape(corps());
    if (body_.outline > 0) {
        QPainterPathStroker trait;
        trait.setWidth(body_.outline * size_);
        trait.setJoinStyle(Qt::RoundJoin);
        forme = forme.united(trait.createStroke(forme));
    }
    const QPointF pied(geometry().left() + width() / 2.0, geometry().top() + height());
    return placement(pied, currentPose()).map(forme);
}

void Rezuz::peindreYeux(QPainter& p, double s, const Pose& ps, Mood mood, double retour) const
{
    const QColor encre = Theme::de(Theme::deep(), this);
    const auto ecartDe = [](Mood m) { return m == Mood::normal ? MascotBody::SuiteEyes::gap : m == Mood::happy ? 0.12 : 0.15; };
    // The gap moves from the last mood's to the normal one's as `retour` falls.
    const double ecart = s * (ecartDe(mood) + (ecartDe(moodAvant_) - ecartDe(mood)) * (mood == Mood::normal ? retour : 0));
    const QPointF g = gaze();
    const QPointF centreYeux(g.x() * s * 0.14, -s / 2 + s * body_.eyeY + g.y() * s * 0.11 + ps.third * s);
    double ew = s * MascotBody::SuiteEyes::width, eh = s * MascotBody::SuiteEyes::height;
    if (mood == Mood::happy) {
        ew *= 1.9;
        eh *= 0.55;
    } else if (mood == Mood::love) {
        ew = s * 0.17;
        eh = s * 0.16;
    }
    for (int cote : {-1, 1}) {
        const QRectF oeil(centreYeux.x() + cote * (ecart + ew) / 2 - ew / 2, centreYeux.y() - eh / 2, ew, eh);
        if (mood == Mood::normal) {
            const double k = paupiere_.valeur();
            const QRectF ferme(oeil.left(), oeil.center().y() - eh * k / 2, ew, eh * k);
            const double r = std::min(ferme.width(), ferme.height()) / 2;
            p.setBrush(encre);
            p.drawRoundedRect(ferme, r, r);
        } else if (mood == Mood::happy) {
            p.strokePath(happyEye(oeil), QPen(encre, s * 0.075, Qt::SolidLine, Qt::RoundCap, Qt::MiterJoin));
        } else {
            p.fillPath(heartEye(oeil), encre);
        }
    }
}

void Rezuz::paintEvent(QPaintEvent*)
{
    if (calque_)
        return;  // drawn on its layer
    QPainter p(this);
    const double s = std::isfinite(size_) ? std::clamp(size_, 0.0, 2000.0) : 0;
    (void)s;
    peindre(p, QPointF(width() / 2.0, height()), currentPose());
}
