#pragma once

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QImage>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include "roue/Animateur.h"

class Passage;
class QVideoSink;

// The trim window's times: the position pill and the row under the track.
QFont policeTemps();

// The round play button of the trim preview: play or pause, the space bar's action.
class BoutonLecture : public QAbstractButton {
    Q_OBJECT
public:
    BoutonLecture(bool video, QWidget* parent);
    void setLit(bool lit);
    QSize sizeHint() const override { return {74, 82}; }  // the circle and its shadow

protected:
    void paintEvent(QPaintEvent*) override;
    bool hitButton(const QPoint& p) const override;

private:
    QRectF cercle() const;
    bool lit_ = false;
};

// The face that listens to a sound: it rocks gently for ever and closes its eyes while the
// sound plays (not under reduced motion).
class MascotteEcoute : public QWidget {
    Q_OBJECT
public:
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

// The top of the trim window: the video letterboxed on black, or a sky with the listening
// face for a sound; the play button in the middle and the position in a pill at the
// bottom left.
class ApercuCouper : public QWidget {
    Q_OBJECT
public:
    ApercuCouper(Passage& passage, bool reduire, QWidget* parent);

    BoutonLecture& bouton() { return *bouton_; }
    // The last picture of the video, for tests.
    const QImage& image() const { return image_; }

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;

private:
    void majEtat();
    QRect pilule() const;

    Passage& p_;
    bool reduire_;
    BoutonLecture* bouton_;
    MascotteEcoute* face_ = nullptr;
    QVideoSink* sink_ = nullptr;
    QImage image_;
    QPixmap ciel_;
    QString position_;
};
