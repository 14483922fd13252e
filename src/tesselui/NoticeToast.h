#pragma once

#include "tesselui/Animateur.h"
#include "tesselui/Notices.h"

#include <QTimer>
#include <QWidget>

class IconButton;
class PillButton;
class Rezuz;

// Shows the shared notices one at a time at the bottom centre of its parent, rising from
// below with the mascot beside the text; a success makes the mascot celebrate. It takes a
// notice only while its window is active and no notice is up.
class NoticeToast : public QWidget {
    Q_OBJECT
public:
    explicit NoticeToast(QWidget* parent, Notices& notices = Notices::shared());

    const std::optional<Notice>& current() const { return current_; }
    bool shown() const { return shown_; }
    Rezuz& mascotte() const { return *rezuz_; }
    PillButton* revealButton() const { return reveler_; }
    IconButton* closeButton() const { return fermer_; }
    // 0 hidden … 1 up (springs may overshoot).
    double montee() const { return montee_.valeur(); }
    void stabiliser() { animateur_.terminer(); }

    // Its scale for a rise: 0.8 hidden, 1 up (about its bottom centre).
    static double echelle(double montee) { return 0.8 + 0.2 * montee; }
    // The scale and opacity it is drawn with now.
    double echelleCourante() const;
    double opaciteCourante() const;

    // Where the toast sits in a parent of that size: bottom centre, `montee` of the way up.
    static QRect place(const QSize& parent, const QSize& toast, double montee);
    // The capsule, in the toast's coordinates: the toast also holds a clear band above it,
    // where the mascot's hop is drawn (fading and scaling with the rest).
    QRect capsule() const;

    void hideNotice();

protected:
    void paintEvent(QPaintEvent*) override;
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    void showNext();
    void bouger();
    void disposer();
    void cerner();
    int bande() const;

    Notices& notices_;
    std::optional<Notice> current_;
    bool shown_ = false;
    int love_ = 0;
    Rezuz* rezuz_;
    QWidget* textes_;
    PillButton* reveler_;
    IconButton* fermer_;
    class Effet;
    Effet* effet_;
    QTimer hideTask_;
    Animateur animateur_;
    Valeur montee_{0};
};
