#pragma once

// What the drag watcher reads of the X server: the left button, Shift, and a count of the
// drags started on the whole screen. Any X11 application that starts a drag takes the
// selection "XdndSelection"; XFixes tells us each time it does, even when the same
// application takes it again (polling its owner would miss that).
//
// With XInput 2 the server also tells of every button press and release on the screen
// (raw events, sent even while another application grabs the pointer), so nothing needs
// to be asked of it while the buttons are up. Both kinds of event arrive on this one
// connection in the order the server made them: the count as it stood at a press is
// exact, however quickly a drag follows it.
class X11Glisser {
public:
    X11Glisser();  // its own connection to $DISPLAY
    ~X11Glisser();
    X11Glisser(const X11Glisser&) = delete;
    X11Glisser& operator=(const X11Glisser&) = delete;

    // False without an X server or without XFixes: every read then gives nothing.
    bool disponible() const { return affichage_ != nullptr; }
    // Whether the server reports the presses (XInput 2.2 or later).
    bool appuisSignales() const { return xi_ >= 0; }
    // The connection's descriptor: readable when the server has sent something. -1 without.
    int descripteur() const;

    struct Pointeur {
        bool boutonGauche = false;
        bool shift = false;
    };
    // One round trip.
    Pointeur pointeur();

    // What reading the events found.
    struct Lecture {
        bool appui = false;      // a button went down or up
        bool selection = false;  // a drag began
    };
    // Takes every event already received, without a round trip.
    Lecture lire();
    // Drags begun since the connection opened (reads the events first).
    long compte();
    // The count as it stood at the latest press, in the server's order of events.
    long compteALAppui() const { return compteALAppui_; }

private:
    struct _XDisplay* affichage_ = nullptr;
    int evenementXFixes_ = 0;
    int xi_ = -1;  // the extension's major opcode
    long compte_ = 0;
    long compteALAppui_ = 0;
};
