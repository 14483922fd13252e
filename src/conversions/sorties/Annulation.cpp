#include "conversions/sorties/Annulation.h"

#include "conversions/sorties/Restes.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <set>
#include <sys/wait.h>
#include <thread>

namespace Conversions {

namespace {

std::mutex verrou;
std::atomic<bool> arret{false};
// Guarded by `verrou`.
QStringList chemins;
std::set<pid_t> enfants;
// The outputs of the lots still open, in every thread.
QStringList livres;

thread_local Lot* lotDuFil = nullptr;

// Children killed but not reaped yet may be ending a write: what they write goes only once
// they have exited. Left unreaped, their numbers stay theirs.
void attendreLesEnfants()
{
    using namespace std::chrono;
    const auto limite = steady_clock::now() + milliseconds(500);
    for (pid_t pid : enfants) {
        siginfo_t info{};
        while (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT | WNOHANG) == 0 && info.si_pid != pid
               && steady_clock::now() < limite)
            std::this_thread::sleep_for(milliseconds(2));
    }
}

} // namespace

void annuler()
{
    std::lock_guard garde(verrou);
    arret = true;
    // Still registered, so not reaped yet: the number cannot belong to another process.
    for (pid_t pid : enfants)
        ::kill(pid, SIGKILL);
}

bool annulee() { return arret; }

void verifierAnnulation()
{
    if (arret)
        throw Annulee();
}

void nettoyer()
{
    std::lock_guard garde(verrou);
    attendreLesEnfants();
    // The newest first: a temporary inside a work folder goes before the folder.
    bool tous = true;
    for (qsizetype i = chemins.size() - 1; i >= 0; --i) {
        if (supprimer(chemins[i]))
            oublierTemporaire(chemins[i]);
        else
            tous = false;  // the next start tries again
    }
    chemins.clear();
    if (tous)
        plusAucunTemporaire();
    for (const QString& c : std::as_const(livres))
        supprimer(c);
    livres.clear();
}

Emprise::Emprise(Levee levee) : verrou_(verrou)
{
    if (levee == Levee::siAnnulee && arret)
        throw Annulee();
}

void Emprise::tenir(const QString& chemin)
{
    chemins.append(chemin);
    noterTemporaire(chemin);
}

void Emprise::lacher(const QString& chemin)
{
    if (!chemins.removeOne(chemin))
        return;
    oublierTemporaire(chemin);
    if (chemins.isEmpty())
        plusAucunTemporaire();
}

void Emprise::livrer(const QString& temporaire, const QString& chemin)
{
    lacher(temporaire);
    if (Lot* lot = lotDuFil) {
        lot->crees_.append(chemin);
        livres.append(chemin);
    }
}

Lot::Lot() : precedent_(lotDuFil) { lotDuFil = this; }

Lot::~Lot()
{
    lotDuFil = precedent_;
    if (garde_)
        return;
    Emprise emprise(Emprise::Levee::jamais);
    for (qsizetype i = crees_.size() - 1; i >= 0; --i) {
        supprimer(crees_[i]);
        livres.removeOne(crees_[i]);
    }
}

void Lot::garder()
{
    Emprise emprise(Emprise::Levee::jamais);
    garde_ = true;
    for (const QString& c : std::as_const(crees_))
        livres.removeOne(c);
}

Lot* Lot::courant() { return lotDuFil; }

Lot::Relais::Relais(Lot* lot) : precedent_(lotDuFil) { lotDuFil = lot; }
Lot::Relais::~Relais() { lotDuFil = precedent_; }

void Emprise::tenir(pid_t enfant) { enfants.insert(enfant); }
void Emprise::lacher(pid_t enfant) { enfants.erase(enfant); }

} // namespace Conversions
