#include "conversions/sorties/Annulation.h"

#include "conversions/sorties/DossierTenu.h"
#include "conversions/sorties/Restes.h"

#include "conversions/Chemins.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <optional>
#include <set>
#include <sys/wait.h>
#include <thread>

namespace Conversions {

namespace {

std::mutex verrou;
std::atomic<bool> arret{false};
// What is held under a path, and where it really is: the next start must find it by the
// latter, without the links or this process's descriptors the path went through.
struct Tenu {
    QString chemin;
    QString reel;
};

QString reelDe(const QString& chemin)
{
    const QByteArray c = local(QDir::cleanPath(QFileInfo(chemin).absoluteFilePath()));
    const qsizetype barre = c.lastIndexOf('/');
    char* r = ::realpath(barre > 0 ? c.left(barre).constData() : "/", nullptr);
    if (!r)
        return cheminDepuisOctets(c);
    const QByteArray dossier(r);
    std::free(r);
    return cheminDepuisOctets((dossier == "/" ? QByteArray() : dossier) + c.mid(barre));
}

qsizetype indexDe(const QList<Tenu>& l, const QString& chemin)
{
    for (qsizetype i = 0; i < l.size(); ++i)
        if (l[i].chemin == chemin)
            return i;
    return -1;
}

// Guarded by `verrou`: the temporaries, and the final names of hand-overs under way.
QList<Tenu> chemins;
QList<Tenu> annonces;
std::set<pid_t> enfants;
// The outputs of the lots still open, in every thread.
QList<Lot::Livre> livres;

bool retirer(const Lot::Livre& l) { return l.dossier ? l.dossier->supprimer(nomDe(l.chemin)) : supprimer(l.chemin); }

void oublierLivre(const QString& chemin)
{
    livres.removeIf([&](const Lot::Livre& l) { return l.chemin == chemin; });
}

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
    // The newest first: a temporary inside a work folder goes before the folder. By the
    // path it was made through (a moved folder's descriptor) and by where it was.
    bool tous = true;
    for (qsizetype i = chemins.size() - 1; i >= 0; --i) {
        const Tenu& t = chemins[i];
        if (supprimer(t.chemin) && (t.reel == t.chemin || supprimer(t.reel)))
            oublierTemporaire(t.reel);
        else
            tous = false;  // the next start tries again
    }
    chemins.clear();
    // A hand-over cut short stays written down: the next start completes its removal.
    if (tous && annonces.isEmpty())
        plusAucunTemporaire();
    for (const Lot::Livre& l : std::as_const(livres))
        retirer(l);
    livres.clear();
}

Emprise::Emprise(Levee levee) : verrou_(verrou)
{
    if (levee == Levee::siAnnulee && arret)
        throw Annulee();
}

namespace {

// Takes `chemin` out of `l`; its real path, or nothing when it was not there.
std::optional<QString> retirer(QList<Tenu>& l, const QString& chemin)
{
    const qsizetype i = indexDe(l, chemin);
    if (i < 0)
        return std::nullopt;
    return l.takeAt(i).reel;
}

void siPlusRien()
{
    if (chemins.isEmpty() && annonces.isEmpty())
        plusAucunTemporaire();
}

} // namespace

bool tenuParLeMoteur(const QString& reel)
{
    std::lock_guard garde(verrou);
    return std::any_of(chemins.begin(), chemins.end(), [&](const Tenu& t) { return t.reel == reel; });
}

void Emprise::tenir(const QString& chemin)
{
    chemins.append({chemin, reelDe(chemin)});
    noterTemporaire(chemins.back().reel);
}

void Emprise::lacher(const QString& chemin)
{
    if (const std::optional<QString> reel = retirer(chemins, chemin)) {
        oublierTemporaire(*reel);
        siPlusRien();
    }
}

void Emprise::annoncer(const QString& temporaire, const QString& chemin)
{
    annonces.append({chemin, reelDe(chemin)});
    noterRemise(annonces.back().reel, temporaire);
}

void Emprise::conclure(const QString& chemin)
{
    if (const std::optional<QString> reel = retirer(annonces, chemin)) {
        oublierRemise(*reel);
        siPlusRien();
    }
}

void Emprise::livrer(const QString& temporaire, const QString& chemin, std::shared_ptr<const DossierTenu> dossier)
{
    lacher(temporaire);
    if (Lot* lot = lotDuFil) {
        lot->crees_.append({chemin, dossier});
        livres.append({chemin, std::move(dossier)});
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
        retirer(crees_[i]);
        oublierLivre(crees_[i].chemin);
    }
}

void Lot::garder()
{
    Emprise emprise(Emprise::Levee::jamais);
    garde_ = true;
    for (const Livre& l : std::as_const(crees_))
        oublierLivre(l.chemin);
}

Lot* Lot::courant() { return lotDuFil; }

Lot::Relais::Relais(Lot* lot) : precedent_(lotDuFil) { lotDuFil = lot; }
Lot::Relais::~Relais() { lotDuFil = precedent_; }

void Emprise::tenir(pid_t enfant) { enfants.insert(enfant); }
void Emprise::lacher(pid_t enfant) { enfants.erase(enfant); }

} // namespace Conversions
