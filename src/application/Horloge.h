#pragma once

#include <QHash>
#include <QObject>
#include <cstdint>
#include <functional>

class QTimer;

namespace Application {

// Delayed steps on the GUI thread. The application's runs on timers; tests move a clock of
// their own by hand, so that every delay is checked exactly and none depends on the load.
class Horloge {
public:
    using Jeton = std::uint64_t;
    virtual ~Horloge() = default;
    // Runs `action` on the GUI thread `secondes` from now (0: at the next turn of the event
    // loop), unless it is cancelled first.
    virtual Jeton programmer(double secondes, std::function<void()> action) = 0;
    // Nothing when the step has run or was cancelled already.
    virtual void annuler(Jeton jeton) = 0;
};

// The event loop's timers.
class HorlogeQt : public QObject, public Horloge {
public:
    Jeton programmer(double secondes, std::function<void()> action) override;
    void annuler(Jeton jeton) override;

private:
    Jeton dernier_ = 0;
    QHash<Jeton, QTimer*> minuteurs_;
};

} // namespace Application
