#pragma once

#include "tesselui/Animateur.h"

#include <QPointer>
#include <QRectF>
#include <QWidget>
#include <optional>

// What a hint says, and how it is laid out: a title with an optional shortcut badge, then a
// detail line that wraps within `width`. The bubble grows in height, never in width.
struct HintBubble {
    QString title;
    QString detail;
    std::optional<QString> shortcut;
    double width = 240;
    static constexpr double rayon = 16;

    QSizeF taille() const;
    // Paints the bubble at the origin, in the colours of that palette.
    void peindre(QPainter& p, const QPalette& palette) const;
};

// Finds a widget on screen. It never keeps the widget alive: once the widget is gone, or
// hidden, it answers nothing.
class ScreenAnchor {
public:
    ScreenAnchor() = default;
    explicit ScreenAnchor(QWidget* w) : view(w) {}
    QPointer<QWidget> view;
    std::optional<QRectF> screenFrame() const;
    std::optional<QPointF> center() const;
};

// The one floating hint window of the process: frameless, above the windows, transparent to
// the pointer, never focused. Whoever shows a hint owns it until another shows one; a hide
// from anyone else is ignored.
class HintPanel : public QWidget {
    Q_OBJECT
public:
    static HintPanel& shared();

    void show(const HintBubble& bulle, const QRectF& near, bool preferBelow, QObject* owner, QWidget* window);
    void hide(QObject* owner);
    const QObject* owner() const { return owner_; }
    bool montre() const { return isVisible() && owner_; }
    const HintBubble& bulle() const { return bulle_; }

    // The panel's frame beside `near` (screen coordinates, y down): below or above with an
    // 8-point margin, centred, kept inside `visible`, origin on whole points.
    static QRectF frame(const QSizeF& size, const QRectF& near, bool preferBelow, const QRectF& visible);
    // The working area for a hint: the window's screen, else the screen under `near`, else
    // the primary one; 1440 × 900 at the origin when there is no screen.
    static QRectF zone(const QRectF& near, QWidget* window);
    // The bubble's rounded outline as a window shape, for displays without a compositor.
    static QRegion forme(const QSizeF& taille);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    HintPanel();
    HintBubble bulle_;
    const QObject* owner_ = nullptr;
    QMetaObject::Connection finProprietaire_;
    QPalette palette_;
    Animateur animateur_;
    Valeur alpha_{0};
};

// Gives a widget a hint after the pointer has rested on it for 0.35 s; hidden on leave.
// Owned by the widget.
class Hint : public QObject {
    Q_OBJECT
public:
    enum class Edge { top, bottom };
    static Hint* installer(QWidget* w, const QString& title, const QString& detail,
                           const std::optional<QString>& shortcut = std::nullopt, Edge edge = Edge::bottom);
    static constexpr int repos = 350;  // ms

protected:
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    Hint(QWidget* w, HintBubble bulle, Edge edge);
    void montrer();

    QWidget* cible_;
    HintBubble bulle_;
    Edge edge_;
    bool survol_ = false;
};
