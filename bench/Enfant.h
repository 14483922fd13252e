#pragma once

// Shared by the image benchmarks: a piece of work run in a fresh child process, so that its
// time and peak resident memory are its own.

#include <chrono>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace Enfant {

struct Mesure {
    double secondes = 0;
    double picMo = 0;
    double processeur = 0;  // user and system seconds, all threads
    long long octets = 0;
    bool ok = false;
};

inline Mesure attendre(pid_t pid, std::chrono::steady_clock::time_point debut)
{
    int statut = 0;
    rusage usage{};
    wait4(pid, &statut, 0, &usage);
    Mesure m;
    m.secondes = std::chrono::duration<double>(std::chrono::steady_clock::now() - debut).count();
    m.picMo = static_cast<double>(usage.ru_maxrss) / 1024.0;
    m.processeur = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    m.ok = WIFEXITED(statut) && WEXITSTATUS(statut) == 0;
    return m;
}

// Runs `travailler` in a fresh child: its time and peak resident memory alone.
inline Mesure dansUnEnfant(const std::function<bool()>& travailler)
{
    const auto debut = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        bool ok = false;
        try {
            ok = travailler();
        } catch (...) {
        }
        std::fflush(nullptr);
        _exit(ok ? 0 : 1);
    }
    return attendre(pid, debut);
}

} // namespace Enfant
