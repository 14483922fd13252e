#pragma once

#include "tesselui/Animateur.h"
#include "tesselui/HintPanel.h"

#include <QWidget>
#include <optional>

// A row of tabs on a capsule where the selected tab sits on a pill that slides from tab to
// tab; resting the pointer on a tab for 0.35 s shows its hint below the whole bar. The two
// tab bars of the design system say where the tabs go, how they look and which hint they give.
class BarreACases : public QWidget {
    Q_OBJECT
public:
    explicit BarreACases(QWidget* parent = nullptr);

    int selection() const { return selection_; }
    // Any index: one out of range selects nothing (no pill is drawn).
    void setSelection(int i);
    int survole() const { return survole_; }
    bool hintShown() const { return hintShown_; }
    // The pill as it is drawn now, none without a valid selection.
    std::optional<QRectF> pilule() const;
    // Settles the pill (tests, screenshots).
    void stabiliser() { animateur_.terminer(); }
    Animateur& animateur() { return animateur_; }

    // The tab under a point, -1 for none.
    static int caseSous(const QList<QRectF>& cases, const QPointF& p);
    // The hint's width for a bar that wide.
    static double largeurHint(double barre) { return std::max(0.0, std::min(barre, 240.0)); }

    // What assistive technologies read of the painted tabs.
    int nombreCases() const { return nombre(); }
    virtual QString nomCase(int i) const = 0;
    virtual QString detailCase(int i) const = 0;
    QList<QRectF> casesAccessibles() const { return cases(); }
    QRectF caseA(int i) const;
    // Selects a tab as a click does (selection signal included).
    void choisir(int i);
    // The tab the keyboard is on while the bar has focus, -1 otherwise. Tab and the arrows
    // move along the tabs as along buttons; Space or Return chooses.
    int caseClavier() const { return hasFocus() ? clavier_ : -1; }

signals:
    void selectionChanged(int index);

protected:
    virtual int nombre() const = 0;
    virtual QList<QRectF> cases() const = 0;
    virtual void peindreFond(QPainter& p, const QRectF& r) = 0;
    virtual void peindrePilule(QPainter& p, const QRectF& r) = 0;
    virtual void peindreCase(QPainter& p, int i, const QRectF& r, bool choisi) = 0;
    // The hint for a tab, none when that tab shows none.
    virtual std::optional<HintBubble> hint(int i, double largeur) const = 0;
    void majHint();
    void placerPilule(bool anime);

    void paintEvent(QPaintEvent*) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool focusNextPrevChild(bool suivant) override;

private:
    void survoler(const QPointF& p);
    void entrer(int i);
    void quitter(int i);
    void allerAuClavier(int i);

    int selection_ = 0;
    int survole_ = -1;
    int presse_ = -1;
    int clavier_ = 0;
    bool hintShown_ = false;
    Animateur animateur_;
    Valeur x_, largeur_;
};
