#include "tesselui/BarreACases.h"

#include "tesselui/Accessible.h"
#include "tesselui/Motion.h"
#include "tesselui/Theme.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <algorithm>

BarreACases::BarreACases(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover);
    // Reached with Tab as buttons are, not taken by a click.
    setFocusPolicy(Qt::TabFocus);
    connect(&animateur_, &Animateur::pas, this, qOverload<>(&QWidget::update));
    Accessible::installer();
}

QRectF BarreACases::caseA(int i) const
{
    const QList<QRectF> c = cases();
    return i >= 0 && i < c.size() ? c[i] : QRectF();
}

void BarreACases::choisir(int i)
{
    if (i < 0 || i >= nombre() || i == selection_)
        return;
    setSelection(i);
    emit selectionChanged(i);
}

int BarreACases::caseSous(const QList<QRectF>& cases, const QPointF& p)
{
    for (int i = 0; i < cases.size(); ++i)
        if (cases[i].contains(p))
            return i;
    return -1;
}

std::optional<QRectF> BarreACases::pilule() const
{
    const QList<QRectF> c = cases();
    if (selection_ < 0 || selection_ >= c.size())
        return std::nullopt;
    const QRectF r = c[selection_];
    return QRectF(x_.valeur(), r.y(), largeur_.valeur(), r.height());
}

void BarreACases::placerPilule(bool anime)
{
    const QList<QRectF> c = cases();
    if (selection_ < 0 || selection_ >= c.size())
        return;
    const QRectF r = c[selection_];
    if (!anime || largeur_.valeur() <= 0) {
        x_.fixer(r.x());
        largeur_.fixer(r.width());
        update();
        return;
    }
    const Mouvement m = Motion::adapt(Motion::snappy(), Motion::reduire());
    x_.aller(r.x(), m, animateur_);
    largeur_.aller(r.width(), m, animateur_);
}

void BarreACases::setSelection(int i)
{
    const bool avait = selection_ >= 0 && selection_ < nombre();
    const int avant = selection_;
    selection_ = i;
    placerPilule(avait && isVisible());
    update();
    // Screen readers hear the tab that lost the selection and the one that took it.
    if (QAccessible::isActive() && avant != i)
        if (QAccessibleInterface* barre = QAccessible::queryAccessibleInterface(this))
            for (int k : {avant, i})
                if (QAccessibleInterface* onglet = barre->child(k)) {
                    QAccessible::State etat;
                    etat.selected = true;
                    QAccessibleStateChangeEvent ev(onglet, etat);
                    QAccessible::updateAccessibility(&ev);
                }
}

void BarreACases::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    peindreFond(p, QRectF(rect()));
    if (const auto r = pilule())
        peindrePilule(p, *r);
    const QList<QRectF> c = cases();
    for (int i = 0; i < c.size(); ++i)
        peindreCase(p, i, c[i], i == selection_);
    if (const int k = caseClavier(); k >= 0 && k < c.size()) {
        // The keyboard's ring around its tab.
        const QRectF r = c[k].adjusted(1, 1, -1, -1);
        const double rayon = std::min(r.width(), r.height()) / 2;
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(Theme::de(Tokens::Color::accent(), this), 2));
        p.drawRoundedRect(r, rayon, rayon);
    }
}

void BarreACases::allerAuClavier(int i)
{
    clavier_ = std::clamp(i, 0, std::max(0, nombre() - 1));
    update();
    if (QAccessible::isActive() && hasFocus())
        if (QAccessibleInterface* barre = QAccessible::queryAccessibleInterface(this))
            if (QAccessibleInterface* onglet = barre->child(clavier_)) {
                QAccessibleEvent ev(onglet, QAccessible::Focus);
                QAccessible::updateAccessibility(&ev);
            }
}

void BarreACases::focusInEvent(QFocusEvent* e)
{
    QWidget::focusInEvent(e);
    if (e->reason() == Qt::TabFocusReason)
        allerAuClavier(0);
    else if (e->reason() == Qt::BacktabFocusReason)
        allerAuClavier(nombre() - 1);
    else
        allerAuClavier(selection_ >= 0 && selection_ < nombre() ? selection_ : 0);
}

void BarreACases::focusOutEvent(QFocusEvent* e)
{
    QWidget::focusOutEvent(e);
    update();
}

bool BarreACases::focusNextPrevChild(bool suivant)
{
    // Tab goes through the tabs one by one before it leaves the bar.
    if (hasFocus() && (suivant ? clavier_ < nombre() - 1 : clavier_ > 0)) {
        allerAuClavier(clavier_ + (suivant ? 1 : -1));
        return true;
    }
    return QWidget::focusNextPrevChild(suivant);
}

void BarreACases::keyPressEvent(QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up:
        allerAuClavier(clavier_ - 1);
        break;
    case Qt::Key_Right:
    case Qt::Key_Down:
        allerAuClavier(clavier_ + 1);
        break;
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        choisir(clavier_);
        break;
    default:
        QWidget::keyPressEvent(e);
        return;
    }
    e->accept();
}

void BarreACases::entrer(int i)
{
    survole_ = i;
    QTimer::singleShot(Hint::repos, this, [this, i] {
        if (survole_ == i) {
            hintShown_ = true;
            majHint();
        }
    });
    majHint();
}

void BarreACases::quitter(int i)
{
    if (survole_ != i)
        return;
    survole_ = -1;
    hintShown_ = false;
    majHint();
}

void BarreACases::majHint()
{
    const auto cadre = ScreenAnchor(this).screenFrame();
    const auto bulle = hintShown_ && survole_ >= 0 && cadre ? hint(survole_, largeurHint(width())) : std::nullopt;
    if (!bulle) {
        HintPanel::shared().hide(this);
        return;
    }
    HintPanel::shared().show(*bulle, *cadre, true, this, window());
}

void BarreACases::survoler(const QPointF& p)
{
    const int i = caseSous(cases(), p);
    if (i != survole_) {
        const int avant = survole_;
        if (i >= 0)
            entrer(i);  // the new tab first: a hint already up takes its texts in place
        else
            quitter(avant);
    }
}

void BarreACases::mouseMoveEvent(QMouseEvent* e)
{
    survoler(e->position());
    QWidget::mouseMoveEvent(e);
}

void BarreACases::enterEvent(QEnterEvent* e)
{
    // A pointer that comes to rest on a tab without moving (the bar appeared under it, or it
    // jumped there) gets that tab's hint all the same.
    survoler(e->position());
    QWidget::enterEvent(e);
}

void BarreACases::mousePressEvent(QMouseEvent* e)
{
    presse_ = e->button() == Qt::LeftButton ? caseSous(cases(), e->position()) : -1;
}

void BarreACases::mouseReleaseEvent(QMouseEvent* e)
{
    const int i = caseSous(cases(), e->position());
    if (e->button() == Qt::LeftButton && i >= 0 && i == presse_)
        choisir(i);
    presse_ = -1;
}

void BarreACases::leaveEvent(QEvent* e)
{
    quitter(survole_);
    QWidget::leaveEvent(e);
}

void BarreACases::hideEvent(QHideEvent* e)
{
    survole_ = -1;
    hintShown_ = false;
    HintPanel::shared().hide(this);
    QWidget::hideEvent(e);
}

void BarreACases::resizeEvent(QResizeEvent* e)
{
    placerPilule(false);
    QWidget::resizeEvent(e);
}
