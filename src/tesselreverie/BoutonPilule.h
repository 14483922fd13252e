#pragma once

#include "tesselui/BoutonAnime.h"

// The Reverie capsule button: filled with the action colour (`pilule`) or white with a faint
// ink outline (`piluleBlanche`); its label is its title with the icon set on it (setIcon),
// and its text never wraps nor shrinks.
class BoutonPilule : public BoutonAnime {
    Q_OBJECT
public:
    BoutonPilule(const QString& texte, bool plein = true, double hauteur = 44, QWidget* parent = nullptr);
    static BoutonPilule* pilule(const QString& texte, QWidget* parent = nullptr) { return new BoutonPilule(texte, true, 44, parent); }
    static BoutonPilule* piluleBlanche(const QString& texte, QWidget* parent = nullptr)
    {
        return new BoutonPilule(texte, false, 44, parent);
    }

    struct Couleurs {
        QColor texte, fond, bord;
    };
    static Couleurs couleurs(bool plein, bool destructive, const QPalette& palette);
    static double opacite(bool enabled) { return enabled ? 1 : 0.5; }
    static double echelle(bool pressed, bool reduce) { return pressed && !reduce ? 0.96 : 1; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    double echelleCible() const override;
    double opacite() const override { return opacite(isEnabled()); }
    void peindreBouton(QPainter& p, const QRectF& r) override;

private:
    bool plein_;
    double hauteur_;
};
