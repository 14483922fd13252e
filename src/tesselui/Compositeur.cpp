#include "tesselui/Compositeur.h"

#include <QGuiApplication>
#include <string>

// Xlib last: its macros (None, Bool, Status…) clash with Qt's names.
#include <X11/Xlib.h>

namespace Compositeur {

bool actif()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* d = x11 ? x11->display() : nullptr;
    if (!d)
        return true;
    // The compositing manager owns the selection _NET_WM_CM_S<screen> (EWMH).
    const std::string nom = "_NET_WM_CM_S" + std::to_string(DefaultScreen(d));
    const Atom selection = XInternAtom(d, nom.c_str(), False);
    return selection != 0 && XGetSelectionOwner(d, selection) != 0;
}

} // namespace Compositeur
