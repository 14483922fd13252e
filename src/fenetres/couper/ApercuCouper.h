#pragma once

#include "fenetres/commun/BoutonClavier.h"

#include <QImage>
#include <QPixmap>
#include <QWidget>

class Chiffres;
class ImageExacte;
class MascotteEcoute;
class Passage;
class QVideoSink;

// The trim window's times, 12.5 points with steady digits: the position pill and the row
// under the track.
const Chiffres& chiffresTemps();

// The round play button of the trim preview: play or pause, the space bar's action.
class BoutonLecture : public BoutonClavier {
    Q_OBJECT
public:
    BoutonLecture(bool video, QWidget* parent);
    void setLit(bool lit);
    // Its words: a video's or a sound's.
    void setVideo(bool video);
    QSize sizeHint() const override { return {74, 82}; }  // the circle and its shadow

protected:
    void paintEvent(QPaintEvent*) override;
    bool hitButton(const QPoint& p) const override;

private:
    QRectF cercle() const;
    bool lit_ = false;
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
    void montrerVideo();
    // The sound's sky and face, also once a movie turns out to have no picture.
    void montrerSon();
    // The face and the button in the middle, and the sky for this size.
    void poser();
    void majEtat();
    QRect pilule() const;

    Passage& p_;
    bool reduire_;
    BoutonLecture* bouton_;
    MascotteEcoute* face_ = nullptr;
    QVideoSink* sink_ = nullptr;
    ImageExacte* exacte_ = nullptr;
    // A handle was moved: its exact picture shows until playing resumes.
    bool tenue_ = false;
    QImage image_;
    QPixmap ciel_;
    QString position_;
};
