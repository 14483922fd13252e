#include "plateforme/X11Glisser.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

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
    XFlush(d);
    affichage_ = d;
}

X11Glisser::~X11Glisser()
{
    if (affichage_)
        XCloseDisplay(affichage_);
}

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

long X11Glisser::compte()
{
    if (!affichage_)
        return 0;
    while (XPending(affichage_) > 0) {
        XEvent e;
        XNextEvent(affichage_, &e);
        if (e.type == evenementXFixes_ + XFixesSelectionNotify
            && reinterpret_cast<XFixesSelectionNotifyEvent*>(&e)->subtype == XFixesSetSelectionOwnerNotify)
            ++compte_;
    }
    return compte_;
}
