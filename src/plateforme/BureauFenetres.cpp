// Window hints for the X11 window managers (EWMH).
#include "plateforme/Bureau.h"

#include <QGuiApplication>
#include <QWindow>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace Bureau {

void horsDesBarres(QWindow* fenetre)
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    Display* d = x11 ? x11->display() : nullptr;
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
