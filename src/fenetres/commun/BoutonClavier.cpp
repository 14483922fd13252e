#include "fenetres/commun/BoutonClavier.h"

#include "fenetres/commun/AnneauClavier.h"

#include <QKeyEvent>

BoutonClavier::BoutonClavier(QWidget* parent) : QAbstractButton(parent), anneau_(new AnneauClavier(this))
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

bool BoutonClavier::anneau() const { return anneau_->montre(); }

void BoutonClavier::peindreAnneau(QPainter& p, const QPainterPath& forme) const { anneau_->peindre(p, forme); }

bool BoutonClavier::event(QEvent* e)
{
    if (e->type() == QEvent::ShortcutOverride) {
        // Space presses the button that has the keyboard, before any window key bound to it.
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Space && k->modifiers() == Qt::NoModifier) {
            e->accept();
            return true;
        }
    }
    return QAbstractButton::event(e);
}

void BoutonClavier::mousePressEvent(QMouseEvent* e)
{
    // A choice made with the mouse: the keyboard follows it, without its ring.
    if (autoExclusive())
        for (BoutonClavier* b : freres())
            b->anneau_->setClavier(false);
    QAbstractButton::mousePressEvent(e);
}
