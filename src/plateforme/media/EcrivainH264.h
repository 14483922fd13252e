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

    // Creates the file; the sides must be even. With `memoireAuPlus` (bytes), the encoder holds
    // fewer frames at once (fewer threads, no look-ahead) when its usual number would not fit,
    // down to one thread. Throws Echec.
    EcrivainH264(const QString& chemin, int largeur, int hauteur, int64_t memoireAuPlus = 0);
    // The memory the encoder of such a video takes under that bound.
    static int64_t memoire(int largeur, int hauteur, int64_t memoireAuPlus);
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
