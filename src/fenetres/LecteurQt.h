#pragma once

#include "fenetres/Lecteur.h"

#include <QAudioOutput>
#include <QMediaPlayer>

// The player of the trim window: Qt Multimedia with its ffmpeg backend (chosen by
// QT_MEDIA_BACKEND before the application is made) and the default sound output.
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

private:
    QAudioOutput sortie_;
    QMediaPlayer media_;
};
