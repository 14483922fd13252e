#pragma once

#include "application/Horloge.h"

#include <functional>
#include <optional>

namespace Application {

// One cancellable delayed step; a new one replaces the one pending.
class Differe {
public:
    explicit Differe(Horloge& horloge) : horloge_(horloge) {}
    Differe(const Differe&) = delete;
    Differe& operator=(const Differe&) = delete;
    ~Differe() { annuler(); }

    void lancer(double secondes, std::function<void()> action)
    {
        annuler();
        jeton_ = horloge_.programmer(secondes, [this, action = std::move(action)] {
            // Forgotten before it runs, so the action may start a new one.
            jeton_.reset();
            action();
        });
    }
    void annuler()
    {
        if (jeton_)
            horloge_.annuler(*jeton_);
        jeton_.reset();
    }
    bool enAttente() const { return jeton_.has_value(); }

private:
    Horloge& horloge_;
    std::optional<Horloge::Jeton> jeton_;
};

} // namespace Application
