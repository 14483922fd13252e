#include "application/Horloge.h"

#include <QTimer>

namespace Application {

Horloge::Jeton HorlogeQt::programmer(double secondes, std::function<void()> action)
{
    const Jeton jeton = ++dernier_;
    auto* minuteur = new QTimer(this);
    minuteur->setSingleShot(true);
    connect(minuteur, &QTimer::timeout, this, [this, jeton, minuteur, action = std::move(action)] {
        // Forgotten before it runs, so the action may program or cancel others.
        minuteurs_.remove(jeton);
        minuteur->deleteLater();
        action();
    });
    minuteurs_.insert(jeton, minuteur);
    minuteur->start(qMax(0, qRound(secondes * 1000)));
    return jeton;
}

void HorlogeQt::annuler(Jeton jeton)
{
    if (QTimer* minuteur = minuteurs_.take(jeton)) {
        minuteur->stop();
        minuteur->deleteLater();
    }
}

} // namespace Application
