#include "roue/PanneauRoue.h"

#include "plateforme/Bureau.h"
#include "roue/Geometrie.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

namespace Roue {

PanneauRoue::PanneauRoue(QWidget* contenu)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                           | Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    // Chosen before the native window exists: it decides the visual.
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(static_cast<int>(Roue::cote), static_cast<int>(Roue::cote));
    if (contenu) {
        contenu->setParent(this);
        contenu->setGeometry(rect());
        contenu->show();
    }
}

void PanneauRoue::showEvent(QShowEvent* e)
{
    // Called before the window is mapped: a panel, not an application window.
    if (windowHandle())
        Bureau::horsDesBarres(windowHandle());
    // Taken before the window is mapped, so that the wheel is not in its own background.
    // Also under a compositor: a flat tint would let the sharp text behind run through the
    // labels; the frosted snapshot reads the same on every desktop.
    fond_ = QPixmap();
    composition_ = Bureau::composition();
    // Where the window manager blurs behind windows, its live blur is the glass.
    flouVivant_ = composition_ && Bureau::flouDerriereOffert();
    regionFlou_ = QRegion();
    QScreen* ecran = QGuiApplication::screenAt(geometry().center());
    if (!ecran)
        ecran = screen();
    if (ecran && !flouVivant_) {
        const QPoint origine = geometry().topLeft() - ecran->geometry().topLeft();
        fond_ = ecran->grabWindow(0, origine.x(), origine.y(), width(), height());
    }
    QWidget::showEvent(e);
}

void PanneauRoue::poserFlou(const QPainterPath& verre)
{
    if (!flouVivant_ || !windowHandle())
        return;
    const QRegion region(verre.toFillPolygon().toPolygon());
    if (region == regionFlou_)
        return;
    regionFlou_ = region;
    Bureau::flouDerriere(windowHandle(), region);
}

void PanneauRoue::hideEvent(QHideEvent* e)
{
    fond_ = QPixmap();
    QWidget::hideEvent(e);
}

void PanneauRoue::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    if (fond_.isNull() || composition_)
        p.fillRect(rect(), Qt::transparent);
    else
        p.drawPixmap(rect(), fond_);
}

} // namespace Roue
