#pragma once

#include <QString>
#include <QStringList>
#include <exception>
#include <memory>
#include <mutex>
#include <sys/types.h>

namespace Conversions {

class DossierTenu;

// Thrown inside a conversion once the engine is stopped. Not an Erreur: it makes no failure
// text, and a batch stops at it instead of going on with the next file.
class Annulee : public std::exception {
public:
    const char* what() const noexcept override { return "conversion annulée"; }
};

// Every temporary name of the application starts with it (after a dot for the hidden ones
// beside the sources): its leftovers are told from the user's own files by their name.
inline const QString prefixeTemporaire = QStringLiteral("vemo-vododod-");

// Stops the engine for the rest of the run (the application quits): every child process
// is ended at once, and every running conversion throws Annulee at its next step (a
// progress report, a new output, a new child, the end of a child), so that its outputs
// and work folders are removed as on any failure.
void annuler();
bool annulee();
// Throws Annulee once the engine is stopped.
void verifierAnnulation();
// Removes what running conversions still hold: reserved names, hidden temporaries, work
// folders, the outputs of a conversion not finished. The last step before the process
// ends, for a conversion stuck in a library call that did not stop in time.
void nettoyer();

// What the engine holds on disk and in child processes, each registered while it lives so
// that annuler() and nettoyer() reach it. Taken while the holder creates or lets go of what
// it registers, so that neither runs in between; throws Annulee once the engine is stopped.
class Emprise {
public:
    enum class Levee { siAnnulee, jamais };
    explicit Emprise(Levee levee = Levee::siAnnulee);
    // A temporary file or folder (also written down for the next start, see Restes.h, by
    // its real path: links and our descriptors on the way resolved).
    void tenir(const QString& chemin);
    void lacher(const QString& chemin);
    void tenir(pid_t enfant);
    void lacher(pid_t enfant);
    // The temporary became the output `chemin`, in the held folder `dossier` when there is
    // one: it belongs to the calling thread's Lot, if any, which removes it there on failure.
    void livrer(const QString& temporaire, const QString& chemin, std::shared_ptr<const DossierTenu> dossier = {});
    // The written `temporaire` is about to become `chemin`, one of several outputs that come
    // into place together: written down with the identity of its file, so that the start
    // after a kill in the middle removes it; conclure() once all are in place (or removed).
    void annoncer(const QString& temporaire, const QString& chemin);
    void conclure(const QString& chemin);

private:
    std::unique_lock<std::mutex> verrou_;
};

// The outputs that one conversion makes, kept together: all of them or none. While it lives
// it is the lot of the thread that made it (enParallele hands it to its threads); destroyed
// without garder() (a failure, a stop of the engine) it removes every output made under it.
class Lot {
public:
    Lot();
    Lot(const Lot&) = delete;
    Lot& operator=(const Lot&) = delete;
    ~Lot();

    // The conversion succeeded: its outputs are the user's files now.
    void garder();

    // The calling thread's lot, or none.
    static Lot* courant();
    // Makes `lot` the calling thread's lot for the relay's lifetime.
    class Relais {
    public:
        explicit Relais(Lot* lot);
        Relais(const Relais&) = delete;
        Relais& operator=(const Relais&) = delete;
        ~Relais();

    private:
        Lot* precedent_;
    };

    // An output, and the folder that holds it wherever the user moved it.
    struct Livre {
        QString chemin;
        std::shared_ptr<const DossierTenu> dossier;
    };

private:
    friend class Emprise;
    Lot* precedent_;
    QList<Livre> crees_;  // guarded by the engine's lock
    bool garde_ = false;
};

// Whether `reel` (a path without links on the way) is a temporary file or folder that the
// engine holds now: its work in a folder, not the user's.
bool tenuParLeMoteur(const QString& reel);

// Removes a file, or a folder with all it holds, at any depth (a link is removed, never
// followed). True when nothing is left at `chemin`.
bool supprimer(const QString& chemin);
// The same for the entry `nom` of the open folder `dossier`, wherever that folder is now.
bool supprimerDans(int dossier, const QByteArray& nom);

} // namespace Conversions
