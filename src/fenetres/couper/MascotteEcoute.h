#pragma once

#include "tesselui/Animateur.h"

#include <QElapsedTimer>
#include <QImage>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

// The face that listens to a sound: it rocks gently for ever and closes its eyes while the
// sound plays (not under reduced motion).
class MascotteEcoute : public QWidget {
    Q_OBJECT
public:
    static constexpr double diametre = 78;
    // The face's centre in its widget, with room below for its shadow.
    static constexpr double centreY = 46;

    explicit MascotteEcoute(QWidget* parent);
    void setEcoute(bool ecoute, bool reduire);
    // The sky behind it: painting it itself spares the layers under it at every step.
    void setFond(const QPixmap* ciel);
    QSize sizeHint() const override { return {104, 104}; }

protected:
    void paintEvent(QPaintEvent*) override;
    void showEvent(QShowEvent*) override;
    void hideEvent(QHideEvent*) override;

private:
    const QImage& visage();

    bool ecoute_ = false;
    QImage visage_;
    const QPixmap* fond_ = nullptr;
    double visageYeux_ = -1;
    QTimer bercement_;
    QElapsedTimer depuis_;
    Animateur animateur_;
    Valeur yeux_{1};  // 1 open, 0.14 closed
};
