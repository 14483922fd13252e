#pragma once

#include <QAbstractButton>

class AnneauClavier;
class QPainterPath;

// A painted button of the tool windows that the keyboard reaches: Tab stops on it, Space
// presses it (before a window key bound to Space), and the desktop's focus ring shows around
// it once the keyboard is in use there (`AnneauClavier`). Among buttons of an exclusive
// choice, only the chosen one takes Tab and the arrows move the choice: the keyboard follows
// the choice, whoever made it.
class BoutonClavier : public QAbstractButton {
    Q_OBJECT
public:
    explicit BoutonClavier(QWidget* parent = nullptr);

    // The ring shows now.
    bool anneau() const;

protected:
    // Paints the ring along `forme` (the button's outline) when it shows.
    void peindreAnneau(QPainter& p, const QPainterPath& forme) const;

    bool event(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    // The other buttons of the same exclusive choice.
    QList<BoutonClavier*> freres() const;
    // Chosen: the one Tab stops on, the keyboard taken from a sibling that had it.
    void suivreLeChoix();

    AnneauClavier* anneau_;
};
