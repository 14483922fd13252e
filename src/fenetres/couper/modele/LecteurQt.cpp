#include "fenetres/couper/modele/LecteurQt.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QUrl>
#include <algorithm>
#include <cmath>

LecteurQt::LecteurQt() : sansSortie_(QMediaDevices::audioOutputs().isEmpty())
{
    // Without a sound device Qt's ffmpeg backend writes into an output that failed to open
    // and crashes as soon as playing starts: the pictures then play without sound.
    if (!sansSortie_)
        media_.setAudioOutput(&sortie_);
}

bool LecteurQt::muet() const { return sansSortie_ && !media_.hasVideo(); }

void LecteurQt::ouvrir(const QString& chemin)
{
    media_.setSource(QUrl::fromLocalFile(chemin));
    // Paused rather than stopped: a video shows its first picture.
    media_.pause();
    joue_ = false;
    base_ = 0;
}

void LecteurQt::jouer()
{
    base_ = position();
    joue_ = true;
    horloge_.start();
    if (!muet())
        media_.play();
}

void LecteurQt::pause()
{
    base_ = position();
    joue_ = false;
    media_.pause();
}

void LecteurQt::chercher(double secondes)
{
    base_ = std::max(secondes, 0.0);
    horloge_.start();
    media_.setPosition(std::llround(secondes * 1000));
}

double LecteurQt::position() const
{
    if (!muet())
        return media_.position() / 1000.0;
    const double t = base_ + (joue_ && horloge_.isValid() ? horloge_.elapsed() / 1000.0 : 0);
    const double duree = media_.duration() / 1000.0;
    return duree > 0 ? std::min(t, duree) : t;
}

bool LecteurQt::termine() const
{
    if (!muet())
        return media_.mediaStatus() == QMediaPlayer::EndOfMedia;
    return media_.duration() > 0 && position() >= media_.duration() / 1000.0;
}

void LecteurQt::afficher(QVideoSink* sink) { media_.setVideoSink(sink); }
