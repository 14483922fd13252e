#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <memory>

namespace Media {

// Takes still frames out of a video's first picture track at chosen times, upright
// (the track's display rotation applied) and scaled down to fit a box, never up.
// Made for times asked in increasing order: it decodes forward and seeks only when
// a time lies far ahead or behind.
class Echantillonneur {
public:
    // Throws Echec when the file has no picture track that can be decoded.
    Echantillonneur(const QString& chemin, QSize boite);
    ~Echantillonneur();
    Echantillonneur(const Echantillonneur&) = delete;
    Echantillonneur& operator=(const Echantillonneur&) = delete;

    // Seconds; not a positive finite number when the file does not say.
    double duree() const;
    // The size of every image given, upright.
    QSize taille() const;
    // The frame nearest `t` seconds within `tolerance`; a null image when there is none.
    // Throws Echec on a read error.
    QImage image(double t, double tolerance);

private:
    struct Etat;
    std::unique_ptr<Etat> e_;
};

} // namespace Media
