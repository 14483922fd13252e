#pragma once

#include <QPixmap>
#include <QWidget>

// The borderless 640 × 640 window that carries the wheel. It never takes the focus, so
// opening it under a drag steals nothing from the application being dragged from.
// Translucent where a compositing manager runs; without one it paints a snapshot of the
// screen under it, so that it never shows as a black square.
class PanneauRoue : public QWidget {
    Q_OBJECT
public:
    // `contenu` (the drop target) fills the panel.
    explicit PanneauRoue(QWidget* contenu = nullptr);

    // The snapshot painted under the wheel; null while a compositor shows the desktop.
    const QPixmap& fond() const { return fond_; }

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    QPixmap fond_;
};
