#pragma once

#include <QString>

class QVideoSink;

// What the trim model asks of a player, so that its rules are tested without sound
// hardware. Times in seconds.
class Lecteur {
public:
    virtual ~Lecteur() = default;
    // Makes `chemin` the one item; nothing plays yet.
    virtual void ouvrir(const QString& chemin) = 0;
    virtual void jouer() = 0;
    virtual void pause() = 0;
    // Exact: the next frame shown or heard is the one at `secondes`, not a key frame near it.
    virtual void chercher(double secondes) = 0;
    virtual double position() const = 0;
    // Stopped at the end of the media (it does not play on by itself).
    virtual bool termine() const = 0;
    // Where the pictures of a video go.
    virtual void afficher(QVideoSink*) {}
};
