#pragma once

#include <QList>
#include <QWidget>
#include <functional>
#include <optional>

// The floating window a tool view lives in: frameless, above normal windows, neither
// resizable nor minimizable, always in the light appearance, with its own top strip that
// holds the close button and moves the window. Any number may be open at once; none is
// modal. An open window is kept by the list of open windows and leaves it when it closes.
class FenetreOutil : public QWidget {
    Q_OBJECT
public:
    // Builds the tool view for the new window.
    using Constructeur = std::function<QWidget*(FenetreOutil*)>;

    // Opens a window of content `taille` centred on the pointer, kept inside the screen's
    // available area, hosting the view that `construire` returns. GUI thread only.
    static FenetreOutil* ouvrir(QSize taille, const Constructeur& construire);
    static const QList<FenetreOutil*>& ouvertes();

    // The close button, in window coordinates.
    static QRectF boutonFermer();
    static constexpr int bandeau = 34;

protected:
    void closeEvent(QCloseEvent* e) override;
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    FenetreOutil();

    bool translucide_;
    bool surFermer_ = false;
    // Without a window manager to move it, the strip moves the window itself.
    std::optional<QPoint> prise_;
};
