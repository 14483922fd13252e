#pragma once

#include <functional>

namespace Conversions {

// The cores left idle right now (measured over a twentieth of a second), at least one:
// a job takes only those, so two jobs at once share the machine.
int coeursLibres();

// A reading of the machine's processor time and of this process's own, to measure later
// over a longer window than coeursLibres() samples.
struct Releve {
    double inactif = 0;  // every core's idle time, in clock ticks
    double total = 0;
    double nous = 0;     // this process's own time, every thread, in clock ticks
};
Releve releve();

// The cores that other processes left idle since `avant`, this process's own work counted
// as free, at least one; coeursLibres() when the window is too short to tell.
int coeursLibresDepuis(const Releve& avant);

// Runs `travail(i)` for every i in [0, n) on up to `fils` threads, handing the indices
// out in order. After a failure no new index starts; once every running one is back, the
// failure of the smallest index is thrown, the one a plain loop would have met first.
void enParallele(int n, int fils, const std::function<void(int)>& travail);

} // namespace Conversions
