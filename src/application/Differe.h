#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

// One cancellable delayed step on the GUI thread; a new one replaces the one pending.
class Differe {
public:
    void lancer(double secondes, std::function<void()> action)
    {
        annuler();
        minuteur_ = new QTimer;
        minuteur_->setSingleShot(true);
        QObject::connect(minuteur_, &QTimer::timeout, minuteur_, [this, action = std::move(action)] {
            // Forgotten before it runs, so the action may start a new one.
            minuteur_->deleteLater();
            minuteur_ = nullptr;
            action();
        });
        minuteur_->start(qMax(0, qRound(secondes * 1000)));
    }
    void annuler()
    {
        if (minuteur_) {
            minuteur_->stop();
            minuteur_->deleteLater();
            minuteur_ = nullptr;
        }
    }
    bool enAttente() const { return minuteur_ != nullptr; }
    ~Differe() { annuler(); }

private:
    QTimer* minuteur_ = nullptr;
};
