#pragma once

#include <QAbstractButton>

class QPainterPath;

// A painted button of the tool windows that the keyboard reaches: Tab stops on it, Space
// presses it (before a window key bound to Space), and the desktop's focus ring shows around
// it once the keyboard is in use: focus brought by Tab or Shift+Tab, or a Tab, Shift+Tab or
// arrow pressed on it. The focus a window gives when it opens shows no ring: the first Tab
// or Shift+Tab then rings the button where it stands. A click hides the ring. Among buttons
// of an exclusive choice, only the chosen one takes Tab and the arrows move the choice: the
// keyboard follows the choice, whoever made it.
class BoutonClavier : public QAbstractButton {
    Q_OBJECT
public:
    explicit BoutonClavier(QWidget* parent = nullptr);

    // The ring shows now.
    bool anneau() const { return clavier_ && hasFocus(); }
    // The desktop's focus colour.
    static QColor couleurAnneau();

protected:
    // Paints the ring along `forme` (the button's outline, in its own coordinates) when it
    // shows: 2 points wide, inside the outline.
    void peindreAnneau(QPainter& p, const QPainterPath& forme) const;

    bool event(QEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    void setClavier(bool oui);
    // The other buttons of the same exclusive choice.
    QList<BoutonClavier*> freres() const;
    // Chosen: the one Tab stops on, the keyboard taken from a sibling that had it.
    void suivreLeChoix();

    bool clavier_ = false;
};
