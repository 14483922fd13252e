#pragma once

#include "fenetres/commun/BoutonClavier.h"
#include "tesselui/Animateur.h"

#include <QTimer>

// The tool windows' pill button: filled with ink for the confirming action, else white
// with a thin ink outline. It shrinks a little while pressed, on a spring; while busy it
// shows a spinner in place of its text and keeps its width. Tab reaches it, Space presses it.
class Pilule : public BoutonClavier {
    Q_OBJECT
public:
    Pilule(const QString& texte, bool plein, QWidget* parent = nullptr, int marge = 18);

    bool plein() const { return plein_; }
    // A symbol before the text (a system symbol name).
    void setSymbole(const QString& nom);
    // An accent outline drawn over the pill (0 wide: none).
    void setAccent(const QColor& couleur, double largeur);
    void setOccupe(bool occupe);
    bool occupe() const { return occupe_; }
    void setReduire(bool reduire) { reduire_ = reduire; }
    double echelle() const { return echelle_.valeur(); }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    void presse(bool enfonce);

    bool plein_;
    int marge_;
    QString symbole_;
    QColor accent_;
    double accentLargeur_ = 0;
    bool occupe_ = false;
    bool reduire_ = false;
    int tour_ = 0;
    QTimer toupie_;
    Animateur animateur_;
    Valeur echelle_{1};
};
