#pragma once

// Drags over the drop target, as a window system sends them.

#include "roue/ZoneDepot.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <cmath>
#include <string>

// A widget position (y down) at angle a and radius r of the wheel.
inline QPoint ecran(double a, double r)
{
    const double rad = a * 3.14159265358979323846 / 180;
    return QPoint(qRound(320 + r * std::sin(rad)), qRound(320 - r * std::cos(rad)));
}

// One drag over the drop target, driven by the events a window system sends. The source
// offers copy and move and proposes a move, as a Shift-drag from a file manager does.
struct Glisser {
    Roue::ZoneDepot& zone;
    QMimeData donnees;
    Qt::DropAction action = Qt::IgnoreAction;

    Glisser(Roue::ZoneDepot& z, const QStringList& chemins) : zone(z)
    {
        QList<QUrl> urls;
        for (const QString& c : chemins)
            urls << (c.contains("://") ? QUrl(c) : QUrl::fromLocalFile(c));
        donnees.setUrls(urls);
    }
    template <class Evenement>
    bool envoyer(QPoint p, Qt::MouseButtons boutons)
    {
        Evenement e(p, Qt::CopyAction | Qt::MoveAction, &donnees, boutons, Qt::ShiftModifier);
        e.setDropAction(Qt::MoveAction);
        QCoreApplication::sendEvent(&zone, &e);
        action = e.dropAction();
        return e.isAccepted();
    }
    bool entrer(QPoint p) { return envoyer<QDragEnterEvent>(p, Qt::LeftButton); }
    bool bouger(QPoint p) { return envoyer<QDragMoveEvent>(p, Qt::LeftButton); }
    bool lacher(QPoint p) { return envoyer<QDropEvent>(p, Qt::NoButton); }
    // A drop ends a drag: Qt delivers it only to the widget that took the entry.
    bool deposer(QPoint p) { return entrer(p), bouger(p), lacher(p); }
    void sortir()
    {
        QDragLeaveEvent e;
        QCoreApplication::sendEvent(&zone, &e);
    }
};

// The petal identifiers, readable in a failure message.
inline std::string ids(const Roue::EtatRoue& e)
{
    QStringList s;
    for (const Conversions::Petale& p : e.petales())
        s << p.id;
    return s.join(' ').toStdString();
}
