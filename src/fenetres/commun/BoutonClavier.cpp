#include "fenetres/commun/BoutonClavier.h"

#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>

namespace {

bool tabulation(const QKeyEvent& e)
{
    return (e.key() == Qt::Key_Tab || e.key() == Qt::Key_Backtab)
           && !(e.modifiers() & (Qt::ControlModifier | Qt::AltModifier));
}

bool fleche(const QKeyEvent& e)
{
    return e.key() == Qt::Key_Left || e.key() == Qt::Key_Right || e.key() == Qt::Key_Up || e.key() == Qt::Key_Down;
}

} // namespace

BoutonClavier::BoutonClavier(QWidget* parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::TabFocus);
    connect(this, &QAbstractButton::toggled, this, [this](bool choisi) {
        if (choisi && autoExclusive())
            suivreLeChoix();
    });
}

QList<BoutonClavier*> BoutonClavier::freres() const
{
    QList<BoutonClavier*> l;
    if (parentWidget())
        for (BoutonClavier* b : parentWidget()->findChildren<BoutonClavier*>(Qt::FindDirectChildrenOnly))
            if (b != this && b->autoExclusive())
                l << b;
    return l;
}

void BoutonClavier::suivreLeChoix()
{
    // Qt would let Tab land on the first of the choice; the arrows move from the chosen one.
    setFocusPolicy(Qt::TabFocus);
    BoutonClavier* focus = nullptr;
    for (BoutonClavier* b : freres()) {
        b->setFocusPolicy(Qt::NoFocus);
        if (b->hasFocus())
            focus = b;
    }
    if (focus)
        setFocus(focus->anneau() ? Qt::TabFocusReason : Qt::OtherFocusReason);
}

QColor BoutonClavier::couleurAnneau() { return QGuiApplication::palette().color(QPalette::Active, QPalette::Highlight); }

void BoutonClavier::setClavier(bool oui)
{
    if (oui == clavier_)
        return;
    clavier_ = oui;
    update();
}

void BoutonClavier::peindreAnneau(QPainter& p, const QPainterPath& forme) const
{
    if (!anneau())
        return;
    // The outline's inner half, 2 points wide: inside the button, over what it paints.
    QPainterPathStroker trait;
    trait.setWidth(4);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.fillPath(trait.createStroke(forme).intersected(forme), couleurAnneau());
    p.restore();
}

bool BoutonClavier::event(QEvent* e)
{
    if (e->type() == QEvent::ShortcutOverride) {
        // Space presses the button that has the keyboard, before any window key bound to it.
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Space && k->modifiers() == Qt::NoModifier) {
            e->accept();
            return true;
        }
    } else if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (tabulation(*k) && !clavier_) {
            // The focus came with the window, unseen: the first Tab shows where it stands.
            setClavier(true);
            return true;
        }
    }
    return QAbstractButton::event(e);
}

void BoutonClavier::focusInEvent(QFocusEvent* e)
{
    switch (e->reason()) {
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
    case Qt::ShortcutFocusReason:
        setClavier(true);
        break;
    case Qt::ActiveWindowFocusReason:
    case Qt::PopupFocusReason:
        break;  // back in an active window: as it was
    default:
        setClavier(false);
    }
    QAbstractButton::focusInEvent(e);
}

void BoutonClavier::focusOutEvent(QFocusEvent* e)
{
    if (e->reason() != Qt::ActiveWindowFocusReason && e->reason() != Qt::PopupFocusReason)
        setClavier(false);
    QAbstractButton::focusOutEvent(e);
}

void BoutonClavier::keyPressEvent(QKeyEvent* e)
{
    if (fleche(*e))
        setClavier(true);
    QAbstractButton::keyPressEvent(e);
}

void BoutonClavier::mousePressEvent(QMouseEvent* e)
{
    setClavier(false);
    // A choice made with the mouse: the keyboard follows it, without its ring.
    if (autoExclusive())
        for (BoutonClavier* b : freres())
            b->setClavier(false);
    QAbstractButton::mousePressEvent(e);
}
