#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

namespace Application {

// What the watcher reads; the X server in the application, a script in tests.
class SourceGlisser {
public:
    virtual ~SourceGlisser() = default;
    virtual bool boutonGauche() = 0;
    virtual bool shift() = 0;
    // A counter that changes each time a drag starts anywhere on screen.
    virtual long compte() = 0;
    // The counter as it stood just before the button went down, so that a drag that follows
    // the press at once is still seen. A source that cannot tell gives the counter now.
    virtual long compteAvantAppui() { return compte(); }
    // Whether the source calls `evenement` on every press, release and drag start: the
    // watcher then polls only while the button is down. Otherwise it polls all the time.
    virtual bool signaleLesAppuis() const { return false; }
    std::function<void()> evenement = [] {};
};

// Notices a drag anywhere on screen, asks for the wheel on every poll while Shift is held,
// and reports the release after a drag.
class Guetteur : public QObject {
public:
    static constexpr int intervalleMs = 1000 / 30;

    // Without a source, reads the X server.
    explicit Guetteur(std::unique_ptr<SourceGlisser> source = {});
    ~Guetteur() override;

    // Starts watching: polls 30 times a second while the button is down (all the time when
    // the source does not report presses).
    void demarrer();
    // One poll.
    void tic();
    // Whether polls are due (for tests and the idle check).
    bool interroge() const { return minuteur_.isActive(); }

    std::function<void()> montrer = [] {};
    std::function<void()> lacher = [] {};

private:
    void sonder();

    std::unique_ptr<SourceGlisser> source_;
    QTimer minuteur_;
    bool appuye_ = false;
    long compteAuDepart_ = 0;
    bool glisse_ = false;
};

} // namespace Application
