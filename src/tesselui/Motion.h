#pragma once

#include "tesselui/Animateur.h"

#include <QObject>

// The design system's animation presets: springs of the value animator.
namespace Motion {

Mouvement snappy();  // response 0.3 s, damping 0.6
Mouvement bouncy();  // response 0.45 s, damping 0.55
Mouvement flow();    // response 0.7 s, damping 0.75

// `m` unchanged, or a 0.15 s ease-out when motion is reduced.
Mouvement adapt(const Mouvement& m, bool reduce);

// The desktop's setting (GNOME's enable-animations, GTK's settings file), asked afresh.
bool reduitDuBureau();
// The process-wide choice every component reads when it starts a move: the desktop's at
// first use, then followed as the desktop's setting changes (see `suivreBureau`); settable
// (tests, an option).
bool& reduire();

// Tells the components that keep running loops (the mascot, pressed buttons) when the choice
// changes.
class Veilleur : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
signals:
    void change(bool reduire);
};
Veilleur& veilleur();
// Sets the choice and tells the components, when it changes.
void setReduire(bool r);
// Follows the desktop's setting from now on: GNOME's key and GTK's settings file are watched,
// and every change goes through `setReduire`. Called by the components that move, when an
// application exists; each call also watches the configuration folder as it is now.
void suivreBureau();

} // namespace Motion
