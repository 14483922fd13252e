#include "tesselui/Accessible.h"

#include "tesselui/BarreACases.h"
#include "tesselui/NoticeToast.h"

#include <QAbstractButton>

namespace Accessible {

namespace {

// One painted tab: no object of its own, it asks its bar at every question.
class Onglet : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    Onglet(BarreACases* barre, int index) : barre_(barre), index_(index) {}

    bool isValid() const override { return barre_ && index_ < barre_->nombreCases(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return barre_ ? barre_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return barre_ ? QAccessible::queryAccessibleInterface(barre_) : nullptr; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::PageTab; }

    QString text(QAccessible::Text t) const override
    {
        if (!isValid())
            return {};
        switch (t) {
        case QAccessible::Name:
            return barre_->nomCase(index_);
        case QAccessible::Description:
            return barre_->detailCase(index_);
        default:
            return {};
        }
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect r = barre_->caseA(index_).toAlignedRect();
        return QRect(barre_->mapToGlobal(r.topLeft()), r.size());
    }

    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid() || !barre_->isVisible())
            s.invisible = true;
        s.selectable = true;
        s.focusable = true;
        s.focused = isValid() && barre_->caseClavier() == index_;
        s.selected = isValid() && barre_->selection() == index_;
        if (isValid() && !barre_->isEnabled())
            s.disabled = true;
        return s;
    }

    void* interface_cast(QAccessible::InterfaceType t) override
    {
        return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& nom) override
    {
        if (nom == pressAction() && isValid() && barre_->isEnabled())
            barre_->choisir(index_);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<BarreACases> barre_;
    int index_;
};

// The toast: one alert that reads its notice, holding only its buttons (the mascot and the
// painted texts are not elements of their own).
class Toast : public QAccessibleWidget {
public:
    explicit Toast(NoticeToast* t) : QAccessibleWidget(t, QAccessible::AlertMessage) {}

    QList<QWidget*> boutons() const
    {
        QList<QWidget*> b;
        for (QAbstractButton* bouton : widget()->findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly))
            if (!bouton->isHidden())
                b << bouton;
        return b;
    }
    int childCount() const override { return int(boutons().size()); }
    QAccessibleInterface* child(int i) const override
    {
        const QList<QWidget*> b = boutons();
        return i >= 0 && i < b.size() ? QAccessible::queryAccessibleInterface(b[i]) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* c) const override
    {
        return c ? int(boutons().indexOf(qobject_cast<QWidget*>(c->object()))) : -1;
    }
    QString text(QAccessible::Text t) const override
    {
        const auto& n = static_cast<NoticeToast*>(widget())->current();
        if (t == QAccessible::Name)
            return n ? n->title : QString();
        if (t == QAccessible::Description)
            return n && n->detail ? *n->detail : QString();
        return QAccessibleWidget::text(t);
    }
    QRect rect() const override
    {
        const QRect c = static_cast<NoticeToast*>(widget())->capsule();
        return QRect(widget()->mapToGlobal(c.topLeft()), c.size());
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        if (!static_cast<NoticeToast*>(widget())->shown())
            s.invisible = true;
        return s;
    }
};

constexpr char proprieteCache[] = "vemo-hors-accessibilite";

// A plain container as Qt's own interface shows it, less the decorations it holds.
class Conteneur : public QAccessibleWidget {
public:
    explicit Conteneur(QWidget* w) : QAccessibleWidget(w) {}

    QList<QAccessibleInterface*> enfants() const
    {
        QList<QAccessibleInterface*> e;
        for (int i = 0, n = QAccessibleWidget::childCount(); i < n; ++i)
            if (QAccessibleInterface* c = QAccessibleWidget::child(i); c && !cache(c->object()))
                e << c;
        return e;
    }
    int childCount() const override { return int(enfants().size()); }
    QAccessibleInterface* child(int i) const override
    {
        const QList<QAccessibleInterface*> e = enfants();
        return i >= 0 && i < e.size() ? e[i] : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* c) const override
    {
        return int(enfants().indexOf(const_cast<QAccessibleInterface*>(c)));
    }
    QAccessibleInterface* childAt(int x, int y) const override
    {
        for (QAccessibleInterface* c : enfants())
            if (c->rect().contains(x, y))
                return c;
        return nullptr;
    }
};

QAccessibleInterface* fabrique(const QString& classe, QObject* o)
{
    if (auto* b = qobject_cast<BarreACases*>(o))
        return new Barre(b);
    if (auto* t = qobject_cast<NoticeToast*>(o))
        return new Toast(t);
    // Only where Qt itself would give the plain widget interface: its own controls keep theirs.
    if (classe == QLatin1String("QWidget") && o && o->isWidgetType())
        return new Conteneur(static_cast<QWidget*>(o));
    return nullptr;
}

} // namespace

void installer()
{
    static const bool fait = (QAccessible::installFactory(fabrique), true);
    (void)fait;
}

void cacher(QWidget* w, bool oui)
{
    installer();
    if (w)
        w->setProperty(proprieteCache, oui);
}

bool cache(const QObject* o) { return o && o->property(proprieteCache).toBool(); }

Barre::Barre(BarreACases* b) : QAccessibleWidget(b, QAccessible::PageTabList) {}

Barre::~Barre()
{
    for (QAccessible::Id id : std::as_const(onglets_))
        QAccessible::deleteAccessibleInterface(id);
}

BarreACases* Barre::barre() const { return static_cast<BarreACases*>(widget()); }

int Barre::childCount() const { return barre()->nombreCases(); }

QAccessibleInterface* Barre::child(int index) const
{
    if (index < 0 || index >= childCount())
        return nullptr;
    // Made once per index and registered, so a screen reader keeps talking to the same tab.
    if (!onglets_.contains(index))
        onglets_.insert(index, QAccessible::registerAccessibleInterface(new Onglet(barre(), index)));
    return QAccessible::accessibleInterface(onglets_.value(index));
}

int Barre::indexOfChild(const QAccessibleInterface* c) const
{
    for (auto i = onglets_.cbegin(); i != onglets_.cend(); ++i)
        if (QAccessible::accessibleInterface(i.value()) == c)
            return i.key();
    return -1;
}

QAccessibleInterface* Barre::childAt(int x, int y) const
{
    const int i = BarreACases::caseSous(barre()->casesAccessibles(), QPointF(barre()->mapFromGlobal(QPoint(x, y))));
    return i >= 0 ? child(i) : nullptr;
}

} // namespace Accessible
