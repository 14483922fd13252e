#pragma once

#include <QColor>
#include <QPalette>

// A window's palette in the light or the dark appearance, as the desktop gives it.
inline QPalette palette(bool sombre)
{
    QPalette p;
    p.setColor(QPalette::Window, sombre ? QColor(0x0D, 0x11, 0x1C) : QColor(0xFA, 0xFB, 0xFA));
    return p;
}
