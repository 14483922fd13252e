#pragma once

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

// A left-button mouse event sent straight to `w` at `p`, in its own coordinates.
inline void souris(QWidget& w, QEvent::Type type, QPointF p)
{
    const Qt::MouseButtons boutons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, p, w.mapToGlobal(p), Qt::LeftButton, boutons, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &e);
}

// A drag from `de` to `a`, in a few moves.
inline void glisser(QWidget& w, QPointF de, QPointF a)
{
    souris(w, QEvent::MouseButtonPress, de);
    for (int i = 1; i <= 4; ++i)
        souris(w, QEvent::MouseMove, de + (a - de) * i / 4.0);
    souris(w, QEvent::MouseButtonRelease, a);
}
