// Window hints for the X11 window managers (EWMH).
#include "plateforme/Bureau.h"

#include <QGuiApplication>
#include <QRegion>
#include <QWindow>

#include <cmath>
#include <vector>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

Display* affichage()
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->display() : nullptr;
}

const char* const indiceFlou = "_KDE_NET_WM_BLUR_BEHIND_REGION";

} // namespace

namespace Bureau {

bool flouDerriereOffert()
{
    Display* d = affichage();
    if (!d)
        return false;
    const Atom flou = XInternAtom(d, indiceFlou, False);
    Atom type = 0;
    int format = 0;
    unsigned long nombre = 0, reste = 0;
    unsigned char* donnees = nullptr;
    if (XGetWindowProperty(d, DefaultRootWindow(d), XInternAtom(d, "_NET_SUPPORTED", False), 0, 4096, False, XA_ATOM,
                           &type, &format, &nombre, &reste, &donnees) != Success || !donnees)
        return false;
    bool offert = false;
    if (format == 32) {
        const auto* atomes = reinterpret_cast<const Atom*>(donnees);
        for (unsigned long i = 0; i < nombre && !offert; ++i)
            offert = atomes[i] == flou;
    }
    XFree(donnees);
    return offert;
}

void flouDerriere(QWindow* fenetre, const QRegion& region)
{
    Display* d = affichage();
    if (!d || !fenetre)
        return;
    const Window w = static_cast<Window>(fenetre->winId());
    const Atom flou = XInternAtom(d, indiceFlou, False);
    if (region.isEmpty()) {
        XDeleteProperty(d, w, flou);
    } else {
        // x, y, width, height of each rectangle, in device pixels.
        const double dpr = fenetre->devicePixelRatio();
        std::vector<long> valeurs;
        for (const QRect& r : region) {
            valeurs.insert(valeurs.end(), {std::lround(r.x() * dpr), std::lround(r.y() * dpr),
                                           std::lround(r.width() * dpr), std::lround(r.height() * dpr)});
        }
        XChangeProperty(d, w, flou, XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(valeurs.data()), static_cast<int>(valeurs.size()));
    }
    XFlush(d);
}

void horsDesBarres(QWindow* fenetre)
{
    Display* d = affichage();
    if (!d || !fenetre)
        return;
    // On the window still unmapped: Qt adds its own states to these when it maps it, and the
    // window manager reads them all at the mapping. Qt's own connection keeps the order.
    Atom etats[] = {XInternAtom(d, "_NET_WM_STATE_SKIP_TASKBAR", False),
                    XInternAtom(d, "_NET_WM_STATE_SKIP_PAGER", False)};
    XChangeProperty(d, static_cast<Window>(fenetre->winId()), XInternAtom(d, "_NET_WM_STATE", False), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<unsigned char*>(etats), 2);
    XFlush(d);
}

} // namespace Bureau
