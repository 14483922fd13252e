#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

// What the watcher reads at each poll; the X server in the application, a script in tests.
class SourceGlisser {
public:
    virtual ~SourceGlisser() = default;
    virtual bool boutonGauche() = 0;
    virtual bool shift() = 0;
    // A counter that changes each time a drag starts anywhere on screen.
    virtual long compte() = 0;
};

// Notices a drag anywhere on screen by polling, asks for the wheel while Shift is held,
// and reports the release after a drag.
class Guetteur : public QObject {
public:
    // Without a source, reads the X server.
    explicit Guetteur(std::unique_ptr<SourceGlisser> source = {});
    ~Guetteur() override;

    // Starts polling 30 times a second, for the whole run.
    void demarrer();
    // One poll.
    void tic();

    std::function<void()> montrer = [] {};
    std::function<void()> lacher = [] {};

private:
    std::unique_ptr<SourceGlisser> source_;
    QTimer minuteur_;
    bool appuye_ = false;
    long compteAuDepart_ = 0;
    bool glisse_ = false;
};
