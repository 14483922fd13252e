#pragma once

#include <QStringList>

// While it lives, what the engine logs (its vemo.* categories) is kept here and goes nowhere else.
class Ecoute {
public:
    Ecoute();
    ~Ecoute();
    Ecoute(const Ecoute&) = delete;
    Ecoute& operator=(const Ecoute&) = delete;

    // The messages of one category ("vemo.ffmpeg"), oldest first.
    QStringList messages(const char* categorie) const;
    // Every message kept, as "category | message", oldest first.
    QStringList tous() const;
};
