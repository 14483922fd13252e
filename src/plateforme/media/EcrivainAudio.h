#pragma once

#include <QString>
#include <cstdint>
#include <memory>

namespace Media {

// What to write: AAC at a bit rate, or integer PCM of a depth and byte order.
struct ReglagesAudio {
    enum class Codage { aac, pcm };
    Codage codage = Codage::pcm;
    int canaux = 2;
    int frequence = 44100;   // of the frames given
    int64_t debit = 0;       // bits per second, AAC only
    int profondeur = 16;     // 16 or 24, PCM only
    bool grosBoutiste = false;
};

// Writes a sound file from planar float blocks; the container follows the
// extension of the path (m4a, wav, aiff). A rate the encoder does not take is
// resampled to the nearest one it does.
class EcrivainAudio {
public:
    // Creates the file; throws Echec when the settings or the container are refused.
    EcrivainAudio(const QString& chemin, const ReglagesAudio& reglages);
    ~EcrivainAudio();
    EcrivainAudio(const EcrivainAudio&) = delete;
    EcrivainAudio& operator=(const EcrivainAudio&) = delete;

    // Appends `n` frames, one pointer per channel.
    void ecrire(const float* const* canaux, int n);
    // Flushes the encoder and writes the trailer. Throws Echec.
    void terminer();

private:
    struct Etat;
    std::unique_ptr<Etat> e_;
};

} // namespace Media
