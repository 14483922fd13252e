#include "fenetres/LecteurQt.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QUrl>
#include <cmath>

LecteurQt::LecteurQt()
{
    // Without a sound device Qt's ffmpeg backend writes into an output that failed to open
    // and crashes as soon as playing starts: the pictures then play without sound.
    if (!QMediaDevices::audioOutputs().isEmpty())
        media_.setAudioOutput(&sortie_);
}

void LecteurQt::ouvrir(const QString& chemin)
{
    media_.setSource(QUrl::fromLocalFile(chemin));
    // Paused rather than stopped: a video shows its first picture.
    media_.pause();
}

void LecteurQt::jouer() { media_.play(); }

void LecteurQt::pause() { media_.pause(); }

void LecteurQt::chercher(double secondes) { media_.setPosition(std::llround(secondes * 1000)); }

double LecteurQt::position() const { return media_.position() / 1000.0; }

bool LecteurQt::termine() const { return media_.mediaStatus() == QMediaPlayer::EndOfMedia; }

void LecteurQt::afficher(QVideoSink* sink) { media_.setVideoSink(sink); }
