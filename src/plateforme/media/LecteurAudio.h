#pragma once

#include <QString>
#include <cstdint>
#include <memory>

namespace Media {

// Reads the first sound track of a file as blocks of planar float samples, at the
// track's own channel count and rate (its processing format) or at those asked.
class LecteurAudio {
public:
    // Throws Echec when the file holds no readable sound. `frequence` and `canaux`, when
    // not 0, resample and mix down to that rate and channel count.
    explicit LecteurAudio(const QString& chemin, int frequence = 0, int canaux = 0);
    ~LecteurAudio();
    LecteurAudio(const LecteurAudio&) = delete;
    LecteurAudio& operator=(const LecteurAudio&) = delete;

    int canaux() const;
    int frequence() const;
    // Length in frames as the file declares it (0 when it says nothing).
    int64_t longueur() const;
    // Frames handed out so far.
    int64_t position() const;
    // The share of the declared length handed out, 0 to 1 (a length that falls short
    // of the real one never takes it past 1).
    double avancement() const;
    // Bits per sample of an uncompressed source (integer or float PCM), else 0.
    int profondeurPCM() const;

    // Decodes the next block of at most `capacite` frames; 0 at the end.
    // The block stays valid until the next call. Throws Echec on a read error.
    int lire(int capacite);
    // Goes to `secondes` from the start: the next block begins there. False when the file
    // cannot seek. A little earlier is decoded and dropped, so that codecs that lean on the
    // frames before (MP3's bit reservoir) give the right samples from the first one.
    bool chercher(double secondes);
    // Channel `c` of the last block.
    const float* canal(int c) const;

private:
    struct Etat;
    std::unique_ptr<Etat> e_;
};

} // namespace Media
