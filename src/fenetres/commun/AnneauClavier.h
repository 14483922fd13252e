#pragma once

#include <QObject>

class QPainter;
class QPainterPath;
class QWidget;

// Whether the desktop's focus ring shows on a control: once the keyboard is in use there
// (focus brought by Tab or Shift+Tab, or a Tab, Shift+Tab or arrow pressed on it), not for
// the focus a window gives when it opens, and no longer after a click anywhere in its window
// (a drag on a canvas too, which leaves the keyboard where it was). The first Tab or
// Shift+Tab on a control that has the focus unringed rings it where it stands.
class AnneauClavier : public QObject {
    Q_OBJECT
public:
    // Watches `controle` (its parent).
    explicit AnneauClavier(QWidget* controle);

    bool montre() const;
    void setClavier(bool oui);
    // Paints the ring along `forme` (the control's outline, in its coordinates) when it
    // shows: 2 points wide, inside the outline.
    void peindre(QPainter& p, const QPainterPath& forme) const;
    // The desktop's focus colour.
    static QColor couleur();

protected:
    bool eventFilter(QObject* objet, QEvent* e) override;

private:
    QWidget* controle_;
    bool clavier_ = false;
};
