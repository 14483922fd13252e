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

namespace {

constexpr int largeurTextes = 360;

// The title on one line (elided) and the detail wrapped below it, at most 360 wide.
class Textes : public QWidget {
public:
    explicit Textes(const NoticeToast* toast) : toast_(toast) { setAttribute(Qt::WA_TransparentForMouseEvents); }

    QSize sizeHint() const override
    {
        const auto& n = toast_->current();
        const QFontMetricsF t(Vavirud::texte(15, 400));
        double w = n ? t.horizontalAdvance(n->title.simplified()) : 0, h = t.height();
        if (n && n->detail && !n->detail->isEmpty()) {
            const QFont d = Vavirud::texte(11, 400);
            w = std::max(w, std::min(QFontMetricsF(d).horizontalAdvance(*n->detail), double(largeurTextes)));
            // The detail at its full height, however many lines it wraps to.
            h += 2 + Vavirud::hauteurParagraphe(d, *n->detail, largeurTextes);
        }
        return QSizeF(std::min(w, double(largeurTextes)) + 1, h + 1).toSize();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        const auto& n = toast_->current();
        if (!n)
            return;
        QPainter p(this);
        p.setRenderHint(QPainter::TextAntialiasing);
        const QFont ft = Vavirud::texte(15, 400);
        const QFontMetricsF t(ft);
        p.setFont(ft);
        p.setPen(Theme::de(Theme::ink(), this));
        p.drawText(QRectF(0, 0, width(), t.height()), Qt::AlignLeft | Qt::AlignVCenter,
                   Vavirud::elide(ft, n->title, width()));
        if (n->detail && !n->detail->isEmpty()) {
            p.setFont(Vavirud::texte(11, 400));
            p.setPen(Theme::de(Theme::inkMuted(), this));
            Vavirud::peindreParagraphe(p, Vavirud::texte(11, 400), QRectF(0, t.height() + 2, width(), height() - t.height() - 2),
                                       *n->detail);
        }
    }

private:
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
        p->drawPixmap(decalage, image);
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
    l->setContentsMargins(12, 10, 16, 10);
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
    connect(&hideTask_, &QTimer::timeout, this, &NoticeToast::hideNotice);
    connect(reveler_, &QAbstractButton::clicked, this, [this] {
        if (current_ && current_->reveal && Notices::revelateur())
            Notices::revelateur()(*current_->reveal);
    });
    connect(fermer_, &QAbstractButton::clicked, this, &NoticeToast::hideNotice);
    connect(&notices_, &Notices::changed, this, &NoticeToast::showNext);
    connect(&animateur_, &Animateur::pas, this, &NoticeToast::bouger);
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

void NoticeToast::disposer()
{
    reveler_->setVisible(current_ && current_->reveal.has_value());
    textes_->updateGeometry();
    layout()->activate();
    adjustSize();
    bouger();
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
        QTimer::singleShot(int(d.celebrate * 1000), rezuz_, [this] { rezuz_->setLove(++love_); });
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
    QTimer::singleShot(int(Notices::durees().next * 1000), this, &NoticeToast::showNext);
}

void NoticeToast::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
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
