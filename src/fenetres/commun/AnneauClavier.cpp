#include "fenetres/commun/AnneauClavier.h"

#include <QFocusEvent>
#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWidget>

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

// Watches the application's clicks: one in a window hides the rings of its controls.
class Clics : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* objet, QEvent* e) override
    {
        if (e->type() == QEvent::MouseButtonPress && objet->isWidgetType())
            for (AnneauClavier* a : static_cast<QWidget*>(objet)->window()->findChildren<AnneauClavier*>())
                a->setClavier(false);
        return false;
    }
};

} // namespace

AnneauClavier::AnneauClavier(QWidget* controle) : QObject(controle), controle_(controle)
{
    controle->installEventFilter(this);
    static const bool clics = (qApp->installEventFilter(new Clics(qApp)), true);
    (void)clics;
}

bool AnneauClavier::montre() const { return clavier_ && controle_->hasFocus(); }

void AnneauClavier::setClavier(bool oui)
{
    if (oui == clavier_)
        return;
    clavier_ = oui;
    controle_->update();
}

QColor AnneauClavier::couleur() { return QGuiApplication::palette().color(QPalette::Active, QPalette::Highlight); }

void AnneauClavier::peindre(QPainter& p, const QPainterPath& forme) const
{
    if (!montre())
        return;
    // The outline's inner half, 2 points wide: inside the control, over what it paints.
    QPainterPathStroker trait;
    trait.setWidth(4);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.fillPath(trait.createStroke(forme).intersected(forme), couleur());
    p.restore();
}

bool AnneauClavier::eventFilter(QObject*, QEvent* e)
{
    switch (e->type()) {
    case QEvent::FocusIn:
        switch (static_cast<QFocusEvent*>(e)->reason()) {
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
        break;
    case QEvent::FocusOut: {
        const Qt::FocusReason r = static_cast<QFocusEvent*>(e)->reason();
        if (r != Qt::ActiveWindowFocusReason && r != Qt::PopupFocusReason)
            setClavier(false);
        break;
    }
    case QEvent::KeyPress: {
        const auto* k = static_cast<QKeyEvent*>(e);
        if (tabulation(*k) && !clavier_) {
            // The focus came with the window, unseen: the first Tab shows where it stands.
            setClavier(true);
            return true;
        }
        if (fleche(*k))
            setClavier(true);
        break;
    }
    case QEvent::MouseButtonPress:
        setClavier(false);
        break;
    default:
        break;
    }
    return false;
}
