#include "tesselui/NoticeToast.h"

#include "tesselui/Accessible.h"
#include "tesselui/BoutonAnime.h"
#include "tesselui/Motion.h"
#include "tesselui/Rezuz.h"
#include "tesselui/Theme.h"
#include "tesselui/Vavirud.h"

#include <QAccessible>
#include <QEvent>
#include <QGraphicsEffect>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPathStroker>
#include <cmath>

namespace {

constexpr int largeurTextes = 360;
constexpr double margeMascotte = 2;

// The title and the detail below it, each wrapped to as many lines as it needs within its
// natural width, at most 360.
class Textes : public QWidget {
public:
    explicit Textes(const NoticeToast* toast) : toast_(toast) { setAttribute(Qt::WA_TransparentForMouseEvents); }

    QSize sizeHint() const override
    {
        const auto& n = toast_->current();
        const double l = largeur();
        double h = hauteurTitre();
        if (aDetail())
            h += 2 + Vavirud::hauteurParagraphe(detail(), *n->detail, l);
        return QSizeF(l + 1, h + 1).toSize();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        const auto& n = toast_->current();
        if (!n)
            return;
        QPainter p(this);
        p.setRenderHint(QPainter::TextAntialiasing);
        const double l = largeur(), ht = hauteurTitre();
        p.setPen(Theme::de(Theme::ink(), this));
        Vavirud::peindreParagraphe(p, titre(), QRectF(0, 0, l, ht), n->title);
        if (aDetail()) {
            p.setPen(Theme::de(Theme::inkMuted(), this));
            Vavirud::peindreParagraphe(p, detail(), QRectF(0, ht + 2, l, height() - ht - 2), *n->detail);
        }
    }

private:
    static QFont titre() { return Vavirud::texte(15, 400); }
    static QFont detail() { return Vavirud::texte(11, 400); }
    bool aDetail() const
    {
        const auto& n = toast_->current();
        return n && n->detail && !n->detail->isEmpty();
    }
    // Whole pixels, so that the painting wraps where the size was measured.
    double largeur() const
    {
        const auto& n = toast_->current();
        if (!n)
            return 0;
        double w = QFontMetricsF(titre()).horizontalAdvance(n->title.simplified());
        if (aDetail())
            w = std::max(w, QFontMetricsF(detail()).horizontalAdvance(*n->detail));
        return std::ceil(std::min(w, double(largeurTextes)));
    }
    // At least one line, as many as the title wraps to.
    double hauteurTitre() const
    {
        const auto& n = toast_->current();
        return n ? std::max(QFontMetricsF(titre()).height(), Vavirud::hauteurParagraphe(titre(), n->title, largeur())) : 0;
    }

    const NoticeToast* toast_;
};

} // namespace

// The toast's fade and scale: its whole picture drawn at that opacity and scaled about its
// bottom centre.
class NoticeToast::Effet : public QGraphicsEffect {
public:
    using QGraphicsEffect::QGraphicsEffect;
    void regler(double opacite, double echelle)
    {
        opacite_ = opacite;
        echelle_ = echelle;
        update();
    }
    double opacite() const { return opacite_; }
    double echelle() const { return echelle_; }

protected:
    void draw(QPainter* p) override
    {
        if (opacite_ <= 0)
            return;
        QPoint decalage;
        const QPixmap image = sourcePixmap(Qt::LogicalCoordinates, &decalage, QGraphicsEffect::NoPad);
        const QRectF r = boundingRect();
        p->save();
        p->setOpacity(p->opacity() * std::min(opacite_, 1.0));
        p->setRenderHint(QPainter::SmoothPixmapTransform);
        p->translate(r.center().x(), r.bottom());
        p->scale(echelle_, echelle_);
        p->translate(-r.center().x(), -r.bottom());
        // The toast's mask clips the picture, and Qt renders a clipped widget from the top left
        // of its mask: put that corner back where it belongs.
        const QWidget* toast = static_cast<const QWidget*>(parent());
        const QRegion masque = toast->mask() & toast->rect();
        p->drawPixmap(decalage + (masque.isEmpty() ? QPoint() : masque.boundingRect().topLeft()), image);
        p->restore();
    }

private:
    double opacite_ = 0, echelle_ = 0.8;
};

NoticeToast::NoticeToast(QWidget* parent, Notices& notices) : QWidget(parent), notices_(notices)
{
    rezuz_ = new Rezuz(40);
    textes_ = new Textes(this);
    reveler_ = new PillButton(Notices::texte(QStringLiteral("notices.reveal")), PillButtonStyle::pill());
    fermer_ = new IconButton(QStringLiteral("close-circle"), IconButtonStyle::iconMuted());
    fermer_->setAccessibleName(Notices::texte(QStringLiteral("notices.close")));
    auto* l = new QHBoxLayout(this);
    l->setContentsMargins(12, 10 + bande(), 16, 10);
    l->setSpacing(14);
    // Every item centred on the row: the mascot's frame, the texts and the buttons.
    l->addWidget(rezuz_, 0, Qt::AlignVCenter);
    l->addWidget(textes_, 1, Qt::AlignVCenter);
    l->addWidget(reveler_, 0, Qt::AlignVCenter);
    l->addWidget(fermer_, 0, Qt::AlignVCenter);
    l->setSizeConstraint(QLayout::SetFixedSize);
    effet_ = new Effet(this);
    setGraphicsEffect(effet_);
    Accessible::installer();
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hideTask_.setSingleShot(true);
    // A notice stays its time exactly: a coarse timer may round a 5 s stay by a quarter second.
    hideTask_.setTimerType(Qt::PreciseTimer);
    connect(&hideTask_, &QTimer::timeout, this, &NoticeToast::hideNotice);
    connect(reveler_, &QAbstractButton::clicked, this, [this] {
        if (current_ && current_->reveal && Notices::revelateur())
            Notices::revelateur()(*current_->reveal);
    });
    connect(fermer_, &QAbstractButton::clicked, this, &NoticeToast::hideNotice);
    connect(&notices_, &Notices::changed, this, &NoticeToast::showNext);
    connect(&animateur_, &Animateur::pas, this, &NoticeToast::bouger);
    connect(rezuz_, &Rezuz::redessine, this, &NoticeToast::cerner);
    if (parent) {
        parent->installEventFilter(this);
        parent->window()->installEventFilter(this);
    }
    QWidget::hide();
    QMetaObject::invokeMethod(this, &NoticeToast::showNext, Qt::QueuedConnection);
}

QRect NoticeToast::place(const QSize& parent, const QSize& toast, double montee)
{
    const double decalage = 140 + (-24 - 140) * montee;  // 140 below the edge … 24 above it
    return {(parent.width() - toast.width()) / 2, int(std::lround(parent.height() - toast.height() + decalage)),
            toast.width(), toast.height()};
}

int NoticeToast::bande() const
{
    // The mascot's frame sits at least the top padding (10) below the capsule's top edge.
    return std::max(0, rezuz_->debord().top() - 10);
}

QRect NoticeToast::capsule() const { return rect().adjusted(0, bande(), 0, 0); }

void NoticeToast::disposer()
{
    reveler_->setVisible(current_ && current_->reveal.has_value());
    textes_->updateGeometry();
    layout()->activate();
    adjustSize();
    cerner();
    bouger();
}

void NoticeToast::cerner()
{
    // The band above the capsule takes the pointer only where the mascot is drawn now. The
    // mask also clips the drawing: a margin keeps the soft edge, and the few pixels a hop
    // moves before its frame is painted.
    QPainterPathStroker bord;
    bord.setWidth(2 * margeMascotte);
    const QPainterPath corps = rezuz_->silhouette();
    const QRegion zone = QRegion(capsule()) + QRegion(corps.united(bord.createStroke(corps)).toFillPolygon().toPolygon());
    if (zone != mask())
        setMask(zone);
}

void NoticeToast::bouger()
{
    if (!parentWidget())
        return;
    const double v = montee_.valeur();
    setGeometry(place(parentWidget()->size(), size(), v));
    // Hidden it is transparent, 140 below and at 0.8 scale; up, opaque at full size.
    effet_->regler(std::clamp(v, 0.0, 1.0), echelle(v));
    if (!shown_ && !montee_.enMouvement())
        QWidget::hide();
}

void NoticeToast::showNext()
{
    if (shown_ || !window()->isActiveWindow())
        return;
    current_ = notices_.take();
    if (!current_)
        return;
    shown_ = true;
    setAttribute(Qt::WA_TransparentForMouseEvents, false);
    disposer();
    raise();
    QWidget::show();
    montee_.aller(1, Motion::adapt(Motion::bouncy(), Motion::reduire()), animateur_);
    const Notices::Durees& d = Notices::durees();
    if (current_->kind == Notice::Kind::success)
        QTimer::singleShot(int(d.celebrate * 1000), Qt::PreciseTimer, rezuz_, [this] { rezuz_->setLove(++love_); });
    hideTask_.start(int(d.pour(current_->kind) * 1000));
    update();
    if (QAccessible::isActive()) {
        QAccessibleEvent alerte(this, QAccessible::Alert);
        QAccessible::updateAccessibility(&alerte);
    }
}

double NoticeToast::echelleCourante() const { return effet_->echelle(); }
double NoticeToast::opaciteCourante() const { return effet_->opacite(); }

void NoticeToast::hideNotice()
{
    hideTask_.stop();
    if (!shown_)
        return;
    shown_ = false;
    setAttribute(Qt::WA_TransparentForMouseEvents, true);
    montee_.aller(0, Motion::adapt(Motion::snappy(), Motion::reduire()), animateur_);
    QTimer::singleShot(int(Notices::durees().next * 1000), Qt::PreciseTimer, this, &NoticeToast::showNext);
}

void NoticeToast::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(capsule()).adjusted(0.5, 0.5, -0.5, -0.5);
    const double rayon = r.height() / 2;
    const bool erreur = current_ && current_->kind == Notice::Kind::error;
    p.setBrush(Theme::de(Theme::surface(), this));
    p.setPen(QPen(Theme::de(erreur ? Theme::danger() : Theme::brandAccent(), this), 1));
    p.drawRoundedRect(r, rayon, rayon);
}

bool NoticeToast::eventFilter(QObject* o, QEvent* e)
{
    if (o == parentWidget() && e->type() == QEvent::Resize)
        bouger();
    if (o == window() && e->type() == QEvent::WindowActivate)
        QMetaObject::invokeMethod(this, &NoticeToast::showNext, Qt::QueuedConnection);
    return QWidget::eventFilter(o, e);
}
