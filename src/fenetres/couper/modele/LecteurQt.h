#pragma once

#include "fenetres/couper/modele/Lecteur.h"

#include <QAudioOutput>
#include <QElapsedTimer>
#include <QMediaPlayer>

// The player of the trim window: Qt Multimedia with its ffmpeg backend (chosen by
// QT_MEDIA_BACKEND before the application is made) and the default sound output. Without
// any sound output a sound cannot play: a clock then keeps the time, so the play head moves
// and the passage loops in silence.
class LecteurQt : public Lecteur {
public:
    LecteurQt();

    void ouvrir(const QString& chemin) override;
    void jouer() override;
    void pause() override;
    void chercher(double secondes) override;
    double position() const override;
    bool termine() const override;
    void afficher(QVideoSink* sink) override;

    QMediaPlayer& media() { return media_; }
    // The time is kept by the clock, not by the media.
    bool muet() const;

private:
    QAudioOutput sortie_;
    QMediaPlayer media_;
    bool sansSortie_;
    bool joue_ = false;
    double base_ = 0;        // the clock's time when it last started or was set
    QElapsedTimer horloge_;  // since then, while playing
};
