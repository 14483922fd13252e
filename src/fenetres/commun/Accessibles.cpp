#include "fenetres/commun/Accessibles.h"

#include "fenetres/commun/ChoixPilules.h"
#include "fenetres/commun/Entete.h"
#include "fenetres/commun/TexteErreur.h"

#include <QAbstractButton>
#include <QAccessibleWidget>
#include <QPointer>

namespace Accessibles {

namespace {

// One of the header's painted texts (0: the title, whole even when elided; 1: the badge).
// No object of its own: it asks its header at every question.
class TexteEntete : public QAccessibleInterface {
public:
    TexteEntete(Entete* entete, int index) : entete_(entete), index_(index) {}

    bool isValid() const override { return !entete_.isNull(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return entete_ ? entete_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override
    {
        return entete_ ? QAccessible::queryAccessibleInterface(entete_) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::StaticText; }
    QString text(QAccessible::Text t) const override
    {
        if (!entete_ || t != QAccessible::Name)
            return {};
        return index_ == 0 ? entete_->titre() : entete_->pastille();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override
    {
        if (!entete_)
            return {};
        const QRect badge = entete_->cadrePastille();
        const QRect r = index_ == 0 ? QRect(0, 0, std::max(0, badge.left() - 10), entete_->height()) : badge;
        return {entete_->mapToGlobal(r.topLeft()), r.size()};
    }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        s.readOnly = true;
        if (!entete_ || !entete_->isVisible())
            s.invisible = true;
        return s;
    }

private:
    QPointer<Entete> entete_;
    int index_;
};

// The header: a group of its title and, when there is one, its badge.
class AccesEntete : public QAccessibleWidget {
public:
    explicit AccesEntete(Entete* e) : QAccessibleWidget(e, QAccessible::Grouping) {}
    ~AccesEntete() override
    {
        for (QAccessible::Id id : textes_)
            if (id)
                QAccessible::deleteAccessibleInterface(id);
    }
    int childCount() const override { return entete()->pastille().isEmpty() ? 1 : 2; }
    QAccessibleInterface* child(int index) const override
    {
        if (index < 0 || index >= childCount())
            return nullptr;
        if (!textes_[index])
            textes_[index] = QAccessible::registerAccessibleInterface(new TexteEntete(entete(), index));
        return QAccessible::accessibleInterface(textes_[index]);
    }
    int indexOfChild(const QAccessibleInterface* c) const override
    {
        for (int i = 0; i < childCount(); ++i)
            if (textes_[i] && QAccessible::accessibleInterface(textes_[i]) == c)
                return i;
        return -1;
    }

private:
    Entete* entete() const { return static_cast<Entete*>(widget()); }
    mutable QAccessible::Id textes_[2] = {0, 0};
};

// An option of a choice of pills: a button named by its text, checked when chosen.
class AccesOption : public QAccessibleWidget {
public:
    explicit AccesOption(QAbstractButton* b) : QAccessibleWidget(b, QAccessible::Button) {}
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name ? bouton()->text() : QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        s.checked = bouton()->isChecked();
        return s;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& nom) override
    {
        if (nom == pressAction() && bouton()->isEnabled())
            bouton()->click();
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QAbstractButton* bouton() const { return static_cast<QAbstractButton*>(widget()); }
};

QAccessibleInterface* fabrique(const QString&, QObject* o)
{
    if (auto* e = qobject_cast<Entete*>(o))
        return new AccesEntete(e);
    if (auto* b = qobject_cast<QAbstractButton*>(o); b && qobject_cast<ChoixPilules*>(b->parent()))
        return new AccesOption(b);
    // A failure is read as a text, by its name.
    if (auto* t = qobject_cast<TexteErreur*>(o))
        return new QAccessibleWidget(t, QAccessible::StaticText);
    return nullptr;
}

} // namespace

void installer()
{
    static const bool fait = (QAccessible::installFactory(fabrique), true);
    (void)fait;
}

} // namespace Accessibles
