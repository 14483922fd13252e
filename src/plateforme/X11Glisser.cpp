#include "plateforme/X11Glisser.h"

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/Xfixes.h>

namespace {

// The opcode of XInput 2.2 or later with the raw button events chosen on the root window,
// or -1 when the server lacks it.
int ecouterLesBoutons(Display* d)
{
    int opcode = 0, evenement = 0, erreur = 0;
    if (!XQueryExtension(d, "XInputExtension", &opcode, &evenement, &erreur))
        return -1;
    int majeure = 2, mineure = 2;
    if (XIQueryVersion(d, &majeure, &mineure) != Success || majeure < 2 || (majeure == 2 && mineure < 2))
        return -1;
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawButtonPress);
    XISetMask(bits, XI_RawButtonRelease);
    XIEventMask masque{XIAllMasterDevices, static_cast<int>(sizeof bits), bits};
    if (XISelectEvents(d, DefaultRootWindow(d), &masque, 1) != Success)
        return -1;
    return opcode;
}

// Buttons 4 to 7 are the wheel's notches: a scroll is no press of the watcher's concern.
bool defilement(int bouton) { return bouton >= 4 && bouton <= 7; }

} // namespace

X11Glisser::X11Glisser()
{
    Display* d = XOpenDisplay(nullptr);
    if (!d)
        return;
    int erreur = 0;
    if (!XFixesQueryExtension(d, &evenementXFixes_, &erreur)) {
        XCloseDisplay(d);
        return;
    }
    int majeure = 0, mineure = 0;
    XFixesQueryVersion(d, &majeure, &mineure);
    XFixesSelectSelectionInput(d, DefaultRootWindow(d), XInternAtom(d, "XdndSelection", False),
                               XFixesSetSelectionOwnerNotifyMask);
    xi_ = ecouterLesBoutons(d);
    XSync(d, False);
    affichage_ = d;
}

X11Glisser::~X11Glisser()
{
    if (affichage_)
        XCloseDisplay(affichage_);
}

int X11Glisser::descripteur() const { return affichage_ ? ConnectionNumber(affichage_) : -1; }

X11Glisser::Pointeur X11Glisser::pointeur()
{
    Pointeur p;
    if (!affichage_)
        return p;
    Window racine = 0, enfant = 0;
    int rx = 0, ry = 0, x = 0, y = 0;
    unsigned int masque = 0;
    if (XQueryPointer(affichage_, DefaultRootWindow(affichage_), &racine, &enfant, &rx, &ry, &x, &y, &masque)) {
        p.boutonGauche = (masque & Button1Mask) != 0;
        p.shift = (masque & ShiftMask) != 0;
    }
    return p;
}

X11Glisser::Lecture X11Glisser::lire()
{
    Lecture l;
    if (!affichage_)
        return l;
    while (XPending(affichage_) > 0) {
        XEvent e;
        XNextEvent(affichage_, &e);
        if (e.type == evenementXFixes_ + XFixesSelectionNotify
            && reinterpret_cast<XFixesSelectionNotifyEvent*>(&e)->subtype == XFixesSetSelectionOwnerNotify) {
            ++compte_;
            l.selection = true;
            continue;
        }
        XGenericEventCookie* c = &e.xcookie;
        if (e.type != GenericEvent || c->extension != xi_ || !XGetEventData(affichage_, c))
            continue;
        if (c->evtype == XI_RawButtonPress || c->evtype == XI_RawButtonRelease) {
            const int bouton = static_cast<XIRawEvent*>(c->data)->detail;
            if (!defilement(bouton)) {
                // Every drag counted so far began before this press.
                if (c->evtype == XI_RawButtonPress)
                    compteALAppui_ = compte_;
                l.appui = true;
            }
        }
        XFreeEventData(affichage_, c);
    }
    return l;
}

long X11Glisser::compte()
{
    lire();
    return compte_;
}
