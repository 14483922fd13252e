#include "tesselui/HintPanel.h"

#include "tesselui/Compositeur.h"
#include "tesselui/Motion.h"
#include "tesselui/Theme.h"
#include "tesselui/Vavirud.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTextLayout>
#include <QTimer>
#include <QWindow>
#include <cmath>

namespace {

constexpr double margeX = 12, margeY = 9, ecartLignes = 4, ecartBadge = 8;

QFont policeTitre() { return Vavirud::texte(13, 400); }
QFont policeDetail() { return Vavirud::texte(11, 400); }

// The shortcut badge: its text padded 6 across and 1 down.
QSizeF tailleBadge(const QString& s)
{
    const QFontMetricsF m(policeDetail());
    return {m.horizontalAdvance(s) + 12, m.height() + 2};
}

// The first row: the title wrapped within what the badge leaves, the badge 8 after it, both
// centred on the row's height.
struct Rangee {
    QRectF titre, badge;
    double hauteur;
};

Rangee rangee(const HintBubble& b, double interieur)
{
    const QSizeF badge = b.shortcut ? tailleBadge(*b.shortcut) : QSizeF();
    const double place = std::max(1.0, interieur - (b.shortcut ? badge.width() + ecartBadge : 0));
    const QFontMetricsF mt(policeTitre());
    const double ht = std::max(mt.height(), Vavirud::hauteurParagraphe(policeTitre(), b.title, place));
    const double lt = std::min(place, Vavirud::largeurParagraphe(policeTitre(), b.title, place));
    const double h = std::max(ht, badge.height());
    Rangee r{QRectF(margeX, margeY + (h - ht) / 2, place, ht), {}, h};
    if (b.shortcut) {
        const double x = margeX + lt + (lt > 0 ? ecartBadge : 0);
        r.badge = QRectF(x, margeY + (h - badge.height()) / 2, std::min(badge.width(), interieur + margeX - x), badge.height());
    }
    return r;
}

} // namespace

QSizeF HintBubble::taille() const
{
    const double w = std::max(2 * margeX + 1, std::isfinite(width) ? std::min(width, 4096.0) : 240.0);
    const double interieur = w - 2 * margeX;
    const double d = Vavirud::hauteurParagraphe(policeDetail(), detail, interieur);
    return {w, 2 * margeY + rangee(*this, interieur).hauteur + (d > 0 ? ecartLignes + d : 0)};
}

void HintBubble::peindre(QPainter& p, const QPalette& palette) const
{
    const QSizeF t = taille();
    const QRectF r(QPointF(0, 0), t);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Theme::brandAccent().pour(palette), 1));
    p.setBrush(Theme::surface().pour(palette));
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), rayon, rayon);
    const double interieur = t.width() - 2 * margeX;
    const Rangee rg = rangee(*this, interieur);
    p.setPen(Theme::ink().pour(palette));
    Vavirud::peindreParagraphe(p, policeTitre(), rg.titre, title);
    if (shortcut) {
        const QRectF& b = rg.badge;
        p.setPen(Qt::NoPen);
        p.setBrush(Theme::accentWash().pour(palette));
        p.drawRoundedRect(b, b.height() / 2, b.height() / 2);
        p.setPen(Theme::ink().pour(palette));
        p.setFont(policeDetail());
        p.drawText(b, Qt::AlignCenter, Vavirud::elide(policeDetail(), *shortcut, b.width() - 12));
    }
    if (!detail.isEmpty()) {
        p.setPen(Theme::inkMuted().pour(palette));
        const double y = margeY + rg.hauteur + ecartLignes;
        Vavirud::peindreParagraphe(p, policeDetail(), QRectF(margeX, y, interieur, t.height() - y), detail);
    }
}

std::optional<QRectF> ScreenAnchor::screenFrame() const
{
    if (!view || !view->isVisible())
        return std::nullopt;
    return QRectF(view->mapToGlobal(QPointF(0, 0)), QSizeF(view->size()));
}

std::optional<QPointF> ScreenAnchor::center() const
{
    const auto f = screenFrame();
    return f ? std::optional<QPointF>(f->center()) : std::nullopt;
}

HintPanel& HintPanel::shared()
{
    // Made once, never released: it outlives every window that shows a hint.
    static HintPanel* p = new HintPanel;
    return *p;
}

HintPanel::HintPanel()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowTransparentForInput
                           | Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setWindowTitle(QStringLiteral("vemo-indice"));
    connect(&animateur_, &Animateur::pas, this, [this] { setWindowOpacity(alpha_.valeur()); });
    // Hidden while the application is in the background, the owner kept; back when it returns.
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState etat) {
        if (etat != Qt::ApplicationActive)
            QWidget::hide();
        else if (owner_)
            QWidget::show();
    });
}

QRegion HintPanel::forme(const QSizeF& taille)
{
    QPainterPath p;
    p.addRoundedRect(QRectF(QPointF(0, 0), taille), HintBubble::rayon, HintBubble::rayon);
    return QRegion(p.toFillPolygon().toPolygon());
}

QRectF HintPanel::zone(const QRectF& near, QWidget* window)
{
    QScreen* ecran = window ? window->screen() : nullptr;
    if (!ecran)
        for (QScreen* s : QGuiApplication::screens())
            if (s->geometry().intersects(near.toAlignedRect())) {
                ecran = s;
                break;
            }
    if (!ecran)
        ecran = QGuiApplication::primaryScreen();
    return ecran ? QRectF(ecran->availableGeometry()) : QRectF(0, 0, 1440, 900);
}

QRectF HintPanel::frame(const QSizeF& size, const QRectF& near, bool preferBelow, const QRectF& visible)
{
    constexpr double m = 8;
    const double w = size.width(), h = size.height();
    const double dessous = near.bottom() + m, dessus = near.top() - m - h;
    double y;
    if (preferBelow)
        y = dessous + h > visible.bottom() - m ? dessus : dessous;
    else
        y = dessus < visible.top() + m ? dessous : dessus;
    double x = near.center().x() - w * 0.5;
    x = std::min(std::max(x, visible.left() + m), visible.right() - w - m);
    // The top margin wins when the panel is taller than the area.
    y = std::max(std::min(y, visible.bottom() - h - m), visible.top() + m);
    return {std::round(x), std::round(y), w, h};
}

void HintPanel::show(const HintBubble& bulle, const QRectF& near, bool preferBelow, QObject* owner, QWidget* window)
{
    bulle_ = bulle;
    palette_ = window ? window->palette() : QGuiApplication::palette();
    const QSizeF t = bulle.taille();
    const QRectF f = frame(t, near, preferBelow, zone(near, window));
    setGeometry(f.toAlignedRect());
    // Without a compositor the transparent corners would show black: the window takes the
    // bubble's own shape, so what is behind shows there.
    if (Compositeur::actif())
        clearMask();
    else
        setMask(forme(t));
    if (window && window->windowHandle()) {
        create();
        windowHandle()->setTransientParent(window->windowHandle());
    }
    const bool memeProprietaire = isVisible() && owner_ && owner_ == owner;
    owner_ = owner;
    QObject::disconnect(finProprietaire_);
    // An owner destroyed while its hint is up takes the hint along.
    if (owner)
        finProprietaire_ = connect(owner, &QObject::destroyed, this, [this] {
            owner_ = nullptr;
            QWidget::hide();
        });
    if (!memeProprietaire) {
        alpha_.fixer(0);
        setWindowOpacity(0);
    }
    QWidget::show();
    raise();
    update();
    alpha_.aller(1, Motion::reduire() ? Mouvement::immediat() : Mouvement::par(Fondu{0.12}), animateur_);
    setWindowOpacity(alpha_.valeur());
}

void HintPanel::hide(QObject* owner)
{
    if (!owner_ || owner_ != owner)
        return;
    owner_ = nullptr;
    QObject::disconnect(finProprietaire_);
    if (windowHandle())
        windowHandle()->setTransientParent(nullptr);
    QWidget::hide();
}

void HintPanel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    // Cut to the bubble's shape (no compositor), the window shows no transparency: what the
    // cut keeps outside the antialiased outline takes the border's colour, not a dark fringe.
    p.fillRect(rect(), mask().isEmpty() ? QColor(Qt::transparent) : Theme::brandAccent().pour(palette_));
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    bulle_.peindre(p, palette_);
}

Hint::Hint(QWidget* w, HintBubble bulle, Edge edge) : QObject(w), cible_(w), bulle_(std::move(bulle)), edge_(edge)
{
    w->installEventFilter(this);
    w->setAttribute(Qt::WA_Hover);
    // Screen readers read the detail as the control's description.
    if (w->accessibleDescription().isEmpty())
        w->setAccessibleDescription(bulle_.detail);
}

Hint* Hint::installer(QWidget* w, const QString& title, const QString& detail, const std::optional<QString>& shortcut, Edge edge)
{
    return w ? new Hint(w, HintBubble{title, detail, shortcut, 240}, edge) : nullptr;
}

bool Hint::eventFilter(QObject* o, QEvent* e)
{
    if (o == cible_) {
        switch (e->type()) {
        case QEvent::Enter:
            survol_ = true;
            // The timer belongs to this object: a widget destroyed meanwhile takes it along.
            QTimer::singleShot(repos, this, [this] {
                if (survol_)
                    montrer();
            });
            break;
        case QEvent::Leave:
        case QEvent::Hide:
            survol_ = false;
            HintPanel::shared().hide(this);
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(o, e);
}

void Hint::montrer()
{
    const auto f = ScreenAnchor(cible_).screenFrame();
    if (!f)
        return;
    HintPanel::shared().show(bulle_, *f, edge_ == Edge::bottom, this, cible_->window());
}
