#pragma once

// What the drag watcher reads of the X server: the left button, Shift, and a count of the
// drags started on the whole screen. Any X11 application that starts a drag takes the
// selection "XdndSelection"; XFixes tells us each time it does, even when the same
// application takes it again (polling its owner would miss that).
class X11Glisser {
public:
    X11Glisser();  // its own connection to $DISPLAY
    ~X11Glisser();
    X11Glisser(const X11Glisser&) = delete;
    X11Glisser& operator=(const X11Glisser&) = delete;

    // False without an X server or without XFixes: every read then gives nothing.
    bool disponible() const { return affichage_ != nullptr; }

    struct Pointeur {
        bool boutonGauche = false;
        bool shift = false;
    };
    Pointeur pointeur();
    // Drags begun since the connection opened.
    long compte();

private:
    struct _XDisplay* affichage_ = nullptr;
    int evenementXFixes_ = 0;
    long compte_ = 0;
};
