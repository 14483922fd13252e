#include "plateforme/Bureau.h"

#include <QGuiApplication>
#include <QScreen>

#include <X11/Xlib.h>

namespace Bureau {

bool composition()
{
    const QString plateforme = QGuiApplication::platformName();
    if (plateforme.startsWith(QLatin1String("wayland")))
        return true; // every Wayland desktop composites
    if (plateforme != QLatin1String("xcb"))
        return false;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    Display* d = x11 ? x11->display() : nullptr;
    if (!d)
        return false;
    // A compositing manager owns the selection _NET_WM_CM_S<screen>.
    const QByteArray nom = "_NET_WM_CM_S" + QByteArray::number(DefaultScreen(d));
    const Atom selection = XInternAtom(d, nom.constData(), False);
    return XGetSelectionOwner(d, selection) != 0;
}

} // namespace Bureau
