#pragma once

#include <QImage>
#include <QString>
#include <cstdint>
#include <memory>

namespace Media {

// Writes an H.264 (yuv420p) MP4 video from still images, each with its own
// presentation time and duration in 1/600 s, the track's timescale.
class EcrivainH264 {
public:
    static constexpr int echelle = 600;

    // Creates the file; the sides must be even. Throws Echec.
    EcrivainH264(const QString& chemin, int largeur, int hauteur);
    ~EcrivainH264();
    EcrivainH264(const EcrivainH264&) = delete;
    EcrivainH264& operator=(const EcrivainH264&) = delete;

    // Adds `image`, stretched to the video's size, shown from `debut` for `duree` ticks.
    void ajouter(const QImage& image, int64_t debut, int64_t duree);
    // Flushes the encoder and writes the index. Throws Echec.
    void terminer();

private:
    struct Etat;
    std::unique_ptr<Etat> e_;
};

} // namespace Media
