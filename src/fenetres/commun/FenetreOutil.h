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
    // available area, hosting the view that `construire` returns. GUI thread only. The window
    // then follows what its view needs: wider than `taille` when a row needs it (a failure
    // beside the buttons), as high as its content, always inside the available area.
    static FenetreOutil* ouvrir(QSize taille, const Constructeur& construire);
    static const QList<FenetreOutil*>& ouvertes();

    // The close button, in window coordinates.
    static QRectF boutonFermer();
    static constexpr int bandeau = 34;

protected:
    bool eventFilter(QObject* objet, QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    FenetreOutil();
    // The size the view asks for now, by the rule of the opening.
    QSize tailleVoulue() const;
    void suivreVue();

    bool translucide_;
    QSize taille_;
    QWidget* vue_ = nullptr;
    bool surFermer_ = false;
    // Without a window manager to move it, the strip moves the window itself.
    std::optional<QPoint> prise_;
};
