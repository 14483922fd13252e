#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

class Boutons;
class Entete;
class FenetreOutil;
class QHBoxLayout;
class QLabel;
class QVBoxLayout;
class TexteErreur;

// What every tool view shares: the file it edits, the window that hosts it and the callback
// that receives each file it writes; the header, the canvas and the bottom row laid out
// alike; the failure text; and saving off the GUI thread.
class VueOutil : public QWidget {
    Q_OBJECT
public:
    // Receives the path of a file the tool wrote.
    using Fini = std::function<void(const QString&)>;

    VueOutil(const QString& url, FenetreOutil* fenetre, Fini fini, const QString& action);

    const QString& url() const { return url_; }
    bool occupe() const { return occupe_; }
    QString erreur() const;
    TexteErreur& texteErreur() { return *erreur_; }
    Entete& entete() { return *entete_; }
    Boutons& boutons() { return *boutons_; }
    // The desktop asks to reduce motion.
    bool reduire() const { return reduire_; }

protected:
    // The tool's own rows: the canvas between the header and the bottom row, and what
    // stands at the start of the bottom row.
    void poserToile(QWidget* toile);
    QHBoxLayout& rangee() { return *rangee_; }
    // A hint in slate at the start of the bottom row, free to wrap.
    QLabel& ajouterAide();
    // Closes the bottom row with the failure text and the buttons, after the tool's own. The
    // buttons exist from then on.
    void terminerRangee();
    // A row of its own above the bottom row.
    void ajouterRangee(QLayout* rangee);

    // `nom`: the file name the text quotes, shortened first when room is short.
    void setErreur(const QString& texte, const QString& nom = {});
    // Runs `travail` (which writes a file and returns its path) on a worker. Success calls
    // `fini` and closes the window; failure shows the text and lets the user try again.
    // The outcome comes back to the application, not to this view: a window closed
    // meanwhile still has its file recorded, and nothing touches the closed window.
    void sauver(std::function<QString()> travail);
    // The tool's save, for the confirming button.
    virtual void valider() = 0;

    // Runs `travail` on a worker and hands its result to `suite` on the GUI thread, only
    // while this view still exists; a `travail` that throws shows its failure in the view.
    template <typename T>
    void enFond(std::function<T()> travail, std::function<void(T)> suite);

private:
    // The flexible space of the bottom row, at least 8 wide.
    void espacer();

    QString url_;
    QString action_;
    QPointer<FenetreOutil> fenetre_;
    Fini fini_;
    bool occupe_ = false;
    bool reduire_;
    Entete* entete_;
    Boutons* boutons_ = nullptr;
    TexteErreur* erreur_;
    QLabel* aide_ = nullptr;
    QVBoxLayout* pile_;
    QHBoxLayout* rangee_;
};

#include "fenetres/commun/modele/EnFond.h"

template <typename T>
void VueOutil::enFond(std::function<T()> travail, std::function<void(T)> suite)
{
    ::enFond<T>(this, std::move(travail), std::move(suite), [this](const QString& echec) { setErreur(echec); });
}
