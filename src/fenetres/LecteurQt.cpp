#include "fenetres/LecteurQt.h"

#include <QUrl>
#include <cmath>

LecteurQt::LecteurQt() { media_.setAudioOutput(&sortie_); }

void LecteurQt::ouvrir(const QString& chemin) { media_.setSource(QUrl::fromLocalFile(chemin)); }

void LecteurQt::jouer() { media_.play(); }

void LecteurQt::pause() { media_.pause(); }

void LecteurQt::chercher(double secondes) { media_.setPosition(std::llround(secondes * 1000)); }

double LecteurQt::position() const { return media_.position() / 1000.0; }

bool LecteurQt::termine() const { return media_.mediaStatus() == QMediaPlayer::EndOfMedia; }

void LecteurQt::afficher(QVideoSink* sink) { media_.setVideoSink(sink); }
