#pragma once

// Frames of the GIF of a video, handed from the thread that samples them to the GIF
// saver as they come, so that sampling and palette work overlap. A ring of a few frames
// holds them: the sampler waits when the saver lags, and memory stays small whatever
// the number of frames.

#include <QImage>
#include <QSize>
#include <QString>

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <vector>

namespace Conversions {

class PileGif {
public:
    PileGif(QSize taille, int prevues) : taille_(taille), prevues_(prevues) {}

    // Producer side. The first frame given fixes the count: the frames still to come
    // are all kept (a missing one repeats the one before), only leading ones are lost.
    // Both wait for room in the ring; they do nothing once the consumer has stopped.
    void ajouter(const QImage& image, int indice);
    void repeter();
    // No more frames; `erreur` when the producer failed.
    void finir(std::exception_ptr erreur = nullptr);
    bool arretee() const;

    // Consumer side: waits for the count (0 when no frame came at all).
    int nombre();
    // Writes the GIF, pulling frames as they arrive; throws vips::VError. `delaisMs` holds
    // one delay per planned frame; leading frames that never came take theirs along.
    void enregistrer(const QString& chemin, const std::vector<int>& delaisMs);
    // No more reads: a producer waiting for room is let go.
    void arreter();
    std::exception_ptr erreur() const;

private:
    // Waits for room for one more frame; the slot to fill, or null once stopped.
    uint8_t* place(std::unique_lock<std::mutex>& l);
    void publier(std::unique_lock<std::mutex>& l);
    uint8_t* emplacement(int image);
    // Copies row `y` of the stack from `x` on, `n` pixels; false when it never comes.
    bool ligne(int y, int x, int n, uint8_t* dest);
    static int generer(struct _VipsRegion* region, void* seq, void* a, void* b, int* stop);

    const QSize taille_;
    const int prevues_;
    mutable std::mutex verrou_;
    std::condition_variable signal_;
    std::vector<uint8_t> anneau_;
    std::vector<int> lues_;   // rows already read, per slot
    int places_ = 0;          // slots in the ring
    int nombre_ = -1;         // unknown until the first frame or the end
    int prets_ = 0;           // frames written
    int rendus_ = 0;          // frames read through, in order: their slots are free
    bool fini_ = false;
    bool arret_ = false;
    std::exception_ptr erreur_;
};

} // namespace Conversions
