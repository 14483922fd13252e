#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <optional>
#include <sys/types.h>

namespace Conversions {

// A child process started without a shell, its standard input on the null device.
// Its output and error go to pipes (read them with sortie()/erreur()) or to the null device.
// It is killed when the thread that started it ends, so when the application dies however it
// dies: a Processus is waited for by the thread that made it, before that thread ends.
class Processus {
public:
    enum class Flux { tubes, neant };

    // Throws std::system_error when the system refuses to start it. With `memoireAuPlus`, the
    // child's address space is capped there: past it, its allocations fail.
    Processus(const QString& programme, const QStringList& arguments, Flux flux,
              const QString& dossierDeTravail = {}, qsizetype memoireAuPlus = 0);
    Processus(const Processus&) = delete;
    Processus& operator=(const Processus&) = delete;
    // A child still running is killed and reaped: no zombie, no orphan.
    ~Processus();

    int sortie() const { return sortie_; }
    int erreur() const { return erreur_; }
    // Blocks until the child exits: its exit status, or 128 + the signal that ended it.
    // Throws Annulee when the engine was stopped meanwhile.
    int attendre();

private:
    int recueillir();

    pid_t pid_ = -1;
    int sortie_ = -1;
    int erreur_ = -1;
};

// Reads the child's error and output until both close, handing each chunk to `recu` (with
// `erreur` true for the error stream, which comes first within one round). With a `limite`,
// returns false as soon as it passes; a failed poll throws std::system_error.
bool lireLesFlux(const Processus& p, const std::function<void(bool erreur, const QByteArray&)>& recu,
                 std::optional<std::chrono::steady_clock::time_point> limite = std::nullopt);

} // namespace Conversions
