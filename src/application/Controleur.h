#pragma once

#include "application/Differe.h"
#include "application/Guetteur.h"
#include "conversions/Conversions.h"
#include "roue/EtatRoue.h"

#include <QHash>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QUuid>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QSystemTrayIcon;
class QWidget;
class VueRoue;
class ZoneDepot;

// The application's one controller: tray icon and menu, launch options, the wheel's
// opening and closing, conversion jobs with their progress and outcome, edit routing.
class Controleur : public QObject {
public:
    // `arguments`: the program's path first, then the options.
    explicit Controleur(QStringList arguments, QObject* parent = nullptr);
    ~Controleur() override;

    // The launch sequence; once, from the event loop.
    void lancer();
    // Whether the arguments ask for the self-test, which takes the whole run.
    bool essaiDemande() const { return valeur(QStringLiteral("--essai=")).has_value(); }

    // The self-test ("--essai=<dossier>"): runs to its end with the wheel's state; the
    // application quits when it returns. Set by the entry point.
    std::function<bool(const QString& dossier, EtatRoue& etat)> essai;

    // Opens a tool window ("recadrer", "lumiere", "masquer", "annoter", "couper") on a file;
    // `fini` receives each file it saves. Without it the request is only logged.
    using Fini = std::function<void(const QString&)>;
    std::function<void(const QString& cle, const QString& fichier, Fini fini)> ouvrirOutil;

    // Runs a conversion batch; blocking, called on a worker thread. The engine by default.
    std::function<Conversions::Resultat(const QStringList&, const QString&, const Conversions::Progression&)>
        moteur = &Conversions::convertir;

    // Shows a message to the user (the updater's answer).
    std::function<void(const QString&)> informer;

    // Opens and closes the wheel under the pointer.
    void ouvrir();
    void fermerBientot(double secondes);
    bool rouePresente() const;

    // Runs a dropped batch off the GUI thread and shows its progress, its files and its errors.
    void convertir(const QStringList& chemins, const Conversions::Petale& petale);
    void avancer(const QUuid& id, double fraction);
    void finir(const QUuid& id, const Conversions::Resultat& resultat);
    void cree(const QString& fichier);
    void montrerDerniers();

    // Opens a file dropped on an edit in our own tool window or in the application that offers it.
    void retoucher(const QString& fichier, const Retouche& offre, const std::optional<Retouche::Outil>& outil);

    void chercherMisesAJour();

    // Quits: every running job is cancelled (its child processes ended, the names it reserved,
    // its hidden temporaries and work folders removed, one log line each) and the run ends
    // within a second. From the menu, and on SIGTERM, SIGINT or SIGHUP.
    void quitter();
    // How the run ends once the jobs are cancelled; told whether they all stopped in time.
    // By default the event loop quits, or the process ends at once when a job is stuck in a
    // library call (it could not be waited for).
    std::function<void(bool arretes)> sortir;

    // What tests and the self-test look at.
    EtatRoue etat;
    Guetteur& guetteur() { return *guetteur_; }
    QSystemTrayIcon* element() const { return element_.get(); }
    QMenu& menu() { return menu_; }
    QAction* ligneDerniers() const { return ligneDerniers_; }
    QAction* ligneEchec() const { return ligneEchec_; }
    const QHash<QUuid, double>& travaux() const { return travaux_; }
    const QStringList& derniers() const { return derniers_; }
    // The icon's state: "repos", "anneau", "reussite" or "echec".
    const QString& etatIcone() const { return etatIcone_; }
    double fractionIcone() const { return fractionIcone_; }
    ZoneDepot& zone();
    QWidget& panneau();
    VueRoue& vue() { zone(); return *vue_; }
    // The wheel in the dark appearance, whatever the desktop's.
    void assombrir();

    // The watcher used by lancer(); tests give one that reads a script.
    void remplacerGuetteur(std::unique_ptr<Guetteur> g) { guetteur_ = std::move(g); }

private:
    bool argumentCommencePar(const QString& prefixe) const;
    bool argumentEgal(const QString& mot) const;
    std::optional<QString> valeur(const QString& prefixe) const;
    // "cle:chemin" split at the first colon; none when a piece is empty or missing.
    std::optional<std::pair<QString, QString>> paire(const QString& prefixe) const;

    void construireMenu();
    void options();
    void montrerOption(const QString& argument);
    void ouvrirFenetre(const QString& cle, const QString& fichier);
    void majIcone();
    void signaler(bool reussite);
    void poserIcone(const QString& etat);

    QStringList arguments_;
    std::unique_ptr<Guetteur> guetteur_;
    ZoneDepot* zone_ = nullptr;
    VueRoue* vue_ = nullptr;
    QWidget* panneau_ = nullptr;
    std::unique_ptr<QSystemTrayIcon> element_;
    QMenu menu_;
    Differe fermeture_;
    QHash<QUuid, double> travaux_;
    // What each running job converts, for the log when it is cancelled.
    QHash<QUuid, QString> libelles_;
    bool quitte_ = false;
    QStringList derniers_;
    QAction* ligneDerniers_ = nullptr;
    QAction* ligneEchec_ = nullptr;
    Differe retourIcone_;
    QString etatIcone_ = QStringLiteral("repos");
    double fractionIcone_ = 0;
};
