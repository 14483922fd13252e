#pragma once

#include "application/Barre.h"
#include "application/Differe.h"
#include "application/Guetteur.h"
#include "application/Horloge.h"
#include "application/Moteur.h"
#include "roue/EtatRoue.h"

#include <QHash>
#include <QObject>
#include <QStringList>
#include <QUuid>
#include <functional>
#include <memory>
#include <optional>

class QWidget;

namespace Roue {
class VueRoue;
class ZoneDepot;
} // namespace Roue

namespace Application {

// What the controller works with. A piece left empty is the application's own: the real
// engine, the desktop's tray, the event loop's timers, the X server's pointer. Tests give
// doubles and drive the controller through them.
struct Services {
    std::shared_ptr<Moteur> moteur;
    std::shared_ptr<Barre> barre;
    std::shared_ptr<Horloge> horloge;
    std::unique_ptr<SourceGlisser> glisser;

    // Opens a tool window ("recadrer", "lumiere", "masquer", "annoter", "couper") on a file;
    // `fini` receives each file it saves. False, or none, when this build has no such window.
    using Fini = std::function<void(const QString&)>;
    std::function<bool(const QString& cle, const QString& fichier, Fini fini)> ouvrirOutil;
    // The self-test ("--essai=<dossier>"): runs to its end with the wheel's state.
    std::function<bool(const QString& dossier, Roue::EtatRoue& etat)> essai;
    // How the run ends once the jobs are cancelled; told whether they all stopped in time.
    // By default the event loop quits, or the process ends at once when a job is stuck in a
    // library call (it could not be waited for).
    std::function<void(bool arretes)> sortir;
};

// The application's one controller: tray icon and menu, launch options, the wheel's
// opening and closing, conversion jobs with their progress and outcome, edit routing.
// It answers the drag watcher, the drop target and the tray's menu; `etat` is the wheel's
// state, shared with the wheel's views and the self-test.
class Controleur : public QObject {
public:
    // `arguments`: the program's path first, then the options.
    Controleur(QStringList arguments, Roue::EtatRoue& etat, Services services = {}, QObject* parent = nullptr);
    ~Controleur() override;

    // The launch sequence; once, from the event loop.
    void lancer();
    // Whether the arguments ask for the self-test, which takes the whole run.
    bool essaiDemande() const { return valeur(QStringLiteral("--essai=")).has_value(); }

    // Quits: every running job is cancelled (its child processes ended, the names it reserved,
    // its hidden temporaries and work folders removed, one log line each) and the run ends
    // within a second. From the menu, and on SIGTERM, SIGINT or SIGHUP.
    void quitter();

private:
    bool argumentCommencePar(const QString& prefixe) const;
    bool argumentEgal(const QString& mot) const;
    std::optional<QString> valeur(const QString& prefixe) const;
    // "cle:chemin" split at the first colon; none when a piece is empty or missing.
    std::optional<std::pair<QString, QString>> paire(const QString& prefixe) const;
    // A step `secondes` from now, dropped if the controller has gone.
    void plusTard(double secondes, std::function<void()> action);

    // Launch: the wiring, then the options that open the wheel or a tool window.
    void brancher();
    void options();
    void montrerOption(const QString& argument);
    void chercherMisesAJour();

    // The wheel's panel: built on first use, opened under the pointer, closed after a delay.
    Roue::ZoneDepot& zone();
    QWidget& panneau();
    bool rouePresente() const;
    void ouvrir();
    void fermerBientot(double secondes);

    // Conversion jobs: run off the GUI thread; their progress, files and errors.
    void convertir(const QStringList& chemins, const Conversions::Petale& petale);
    void avancer(const QUuid& id, double fraction);
    void finir(const QUuid& id, const Conversions::Resultat& resultat);
    // Logs what a job made and met; its files become the menu's latest.
    void consigner(const Conversions::Resultat& resultat);
    void cree(const QString& fichier);
    void montrerDerniers(const QStringList& fichiers);
    // The tray icon: the ring of the running jobs, or an outcome's flash for 2 s.
    void majIcone();
    void signaler(bool reussite);

    // Edits: a tool window of our own, or the application that offers the edit.
    void retoucher(const QString& fichier, const Roue::Retouche& offre, const std::optional<Roue::Retouche::Outil>& outil);
    void ouvrirFenetre(const QString& cle, const QString& fichier);
    void ouvrirOutil(const QString& cle, const QString& fichier);

    QStringList arguments_;
    Roue::EtatRoue& etat_;
    Services services_;
    Guetteur guetteur_;
    Roue::ZoneDepot* zone_ = nullptr;
    Roue::VueRoue* vue_ = nullptr;
    QWidget* panneau_ = nullptr;
    bool barreInstallee_ = false;
    Differe fermeture_;
    QHash<QUuid, double> travaux_;
    // What each running job converts and has done so far: a quit names what it made and
    // what it cancelled.
    struct EnCours {
        QStringList chemins;
        QString petale;
        std::shared_ptr<Conversions::Bilan> bilan;
    };
    QHash<QUuid, EnCours> enCours_;
    bool quitte_ = false;
    Differe retourIcone_;
};

} // namespace Application
