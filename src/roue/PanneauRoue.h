#pragma once

#include <QPainterPath>
#include <QPixmap>
#include <QRegion>
#include <QWidget>

namespace Roue {

// The borderless 640 × 640 window that carries the wheel. It never takes the focus, so
// opening it under a drag steals nothing from the application being dragged from.
// It takes a snapshot of the screen under it before it shows, which the wheel frosts for its
// glass. Translucent around the wheel where a compositing manager runs; without one it
// paints the snapshot there, so that it never shows as a black square.
class PanneauRoue : public QWidget {
    Q_OBJECT
public:
    // `contenu` (the drop target) fills the panel.
    explicit PanneauRoue(QWidget* contenu = nullptr);

    // The screen under the panel as it was just before it showed; null while hidden, and
    // when the window manager blurs what lies behind the panel itself.
    const QPixmap& fond() const { return fond_; }
    // Whether the window manager blurs behind the glass: the wheel then tells it the glass's
    // outline as it changes, and paints no snapshot.
    bool flouVivant() const { return flouVivant_; }
    void poserFlou(const QPainterPath& verre);

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    QPixmap fond_;
    bool composition_ = false;
    bool flouVivant_ = false;
    QRegion regionFlou_;
};

} // namespace Roue
