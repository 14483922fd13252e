#pragma once

#include <QList>
#include <QString>
#include <cstdint>
#include <vector>

// The waveform of a sound: its levels at 8 kHz mono, cut into about 96 equal slices, each
// slice's root mean square scaled so that the loudest reaches 1 and silence stays at 0.12.
namespace Onde {

inline constexpr int frequence = 8000;

// Squared levels summed by grains of `grain` consecutive samples, grain g holding the
// samples from g × grain on. A grain of 1 keeps every sample apart; grains double when a
// sound runs past two million of them.
struct Cumul {
    int grain = 1;
    std::vector<double> sommes;
    int64_t n = 0;  // samples, from the first

    // Adds `count` levels starting at sample `index`.
    void ajouter(int64_t index, const float* niveaux, int count);
    void fusionner(Cumul autre);
    // Grains twice as long.
    void grossir();
};

// The bars of `c`: slices of n div 96 samples (1 below 96 samples), the last one shorter,
// so 96 or 97 bars from 9 216 samples on and n bars below 192.
QList<float> barres(const Cumul& c);

// Decodes the first sound track of `chemin` and gives its bars, or nothing when the file
// has no readable sound. A long sound of known `duree` is decoded in parts at once, each
// from a seek; the grains then span a few milliseconds (one sample up to 2 min 11 s).
QList<float> lire(const QString& chemin, double duree);

} // namespace Onde
