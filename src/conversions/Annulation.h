#pragma once

#include <QString>
#include <exception>
#include <mutex>
#include <sys/types.h>

namespace Conversions {

// Thrown inside a conversion once the engine is stopped. Not an Erreur: it makes no failure
// text, and a batch stops at it instead of going on with the next file.
class Annulee : public std::exception {
public:
    const char* what() const noexcept override { return "conversion annulée"; }
};

// Stops the engine for the rest of the run (the application quits): every child process
// is ended at once, and every running conversion throws Annulee at its next step (a
// progress report, a new output, a new child, the end of a child), so that its outputs
// and work folders are removed as on any failure.
void annuler();
bool annulee();
// Throws Annulee once the engine is stopped.
void verifierAnnulation();
// Removes what running conversions still hold: reserved names, hidden temporaries, work
// folders. The last step before the process ends, for a conversion stuck in a library
// call that did not stop in time.
void nettoyer();

// What the engine holds on disk and in child processes, each registered while it lives so
// that annuler() and nettoyer() reach it. Taken while the holder creates or lets go of what
// it registers, so that neither runs in between; throws Annulee once the engine is stopped.
class Emprise {
public:
    enum class Levee { siAnnulee, jamais };
    explicit Emprise(Levee levee = Levee::siAnnulee);
    void tenir(const QString& chemin);
    void lacher(const QString& chemin);
    void tenir(pid_t enfant);
    void lacher(pid_t enfant);

private:
    std::unique_lock<std::mutex> verrou_;
};

// Removes a file, or a folder with all it holds (a link is removed, never followed).
void supprimer(const QString& chemin);

} // namespace Conversions
