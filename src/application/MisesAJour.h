#pragma once

#include <QJsonObject>
#include <QString>
#include <QTimer>
#include <chrono>
#include <functional>

namespace Application {

// A small updater of our own: made stopped, started on demand, and a check the user asks
// for. It reads an appcast feed (the "SUFeedURL" of the application's information) and
// tells what it finds; it never installs anything by itself.
class Programmateur {
public:
    explicit Programmateur(QJsonObject info) : info_(std::move(info)) {}

    bool enMarche() const { return enMarche_; }
    // Scheduled checks: once a day, silent, only logged.
    void startUpdater();
    // The user's check: the answer is shown, whatever it is.
    void checkForUpdates();

    // How the answer reaches the user (a message box in the application).
    std::function<void(const QString&)> afficher;
    // How long a check waits for the feed before it answers that the source is unreachable.
    std::chrono::milliseconds delai{std::chrono::seconds(20)};

    // The answer for a feed's contents and the running version.
    static QString verdict(const QByteArray& flux, const QString& versionActuelle);

private:
    void verifier(bool parLUtilisateur);

    QJsonObject info_;
    bool enMarche_ = false;
    QTimer minuteur_;
};

class MisesAJour {
public:
    static MisesAJour& shared();

    // The application's information: "Info.json" of its resources (empty when unreadable).
    static QJsonObject information();

    // Starts the updater when the information holds a "SUPublicEDKey" string.
    void demarrer();

    Programmateur& controleur() { return controleur_; }

    explicit MisesAJour(QJsonObject info);

private:
    QJsonObject info_;
    Programmateur controleur_;
};

} // namespace Application
