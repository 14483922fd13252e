#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace Application {

// The tray item the controller speaks to: its icon, its menu's two live lines, and messages
// to the user. The application's is `BarreSysteme`; tests record what they are told.
class Barre {
public:
    // What the icon shows: at rest, the ring of the running jobs, an outcome's flash.
    enum class Signe { repos, anneau, reussite, echec };
    // The menu's own commands.
    struct Actions {
        std::function<void()> chercherMisesAJour;
        std::function<void()> quitter;
    };

    virtual ~Barre() = default;
    // Shows the item at rest with its menu; once, at launch.
    virtual void installer(Actions actions) = 0;
    // `fraction` is the ring's, from 0 to 1; the other signs ignore it.
    virtual void poserIcone(Signe signe, double fraction) = 0;
    // The line that reveals the latest outputs: its text and the files it shows.
    virtual void poserDerniers(const QString& texte, const QStringList& fichiers) = 0;
    // The failure line, hidden while its text is empty.
    virtual void poserEchec(const QString& texte) = 0;
    // A message to the user (the updater's answer).
    virtual void informer(const QString& texte) = 0;
};

} // namespace Application
