#pragma once

#include <QAccessibleWidget>
#include <QHash>

class BarreACases;

// What screen readers see of the design system's painted controls: each painted tab is an
// element of its own (name, description, selected state, press action), and the toast is
// one alert holding its buttons; decorations are left out of their containers. Installed
// once, by the first such control made.
namespace Accessible {

void installer();
// Leaves `w` out of what screen readers see (a decoration such as the mascot, a form not
// shown): the plain container that holds it lists every other child but not this one.
// `oui` false lets it back in.
void cacher(QWidget* w, bool oui = true);
bool cache(const QObject* o);

// The tab bar: a list of page tabs, one per painted tab.
class Barre : public QAccessibleWidget {
public:
    explicit Barre(BarreACases* barre);
    ~Barre() override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;

private:
    BarreACases* barre() const;
    mutable QHash<int, QAccessible::Id> onglets_;
};

} // namespace Accessible
