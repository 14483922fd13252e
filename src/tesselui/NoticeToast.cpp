#include "tesselui/NoticeToast.h"

#include "tesselui/BoutonAnime.h"
#include "tesselui/Motion.h"
#include "tesselui/Rezuz.h"
#include "tesselui/Theme.h"
#include "tesselui/Vavirud.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QGraphicsOpacityEffect>
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
            // At most four lines: the toast stays a toast.
            h += 2 + std::min(Vavirud::hauteurParagraphe(d, *n->detail, largeurTextes), QFontMetricsF(d).lineSpacing() * 4);
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
    l->addWidget(rezuz_);
    l->addWidget(textes_, 1);
    l->addWidget(reveler_);
    l->addWidget(fermer_);
    l->setSizeConstraint(QLayout::SetFixedSize);
    opacite_ = new QGraphicsOpacityEffect(this);
    opacite_->setOpacity(0);
    setGraphicsEffect(opacite_);
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
    opacite_->setOpacity(std::clamp(v, 0.0, 1.0));
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
}

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
