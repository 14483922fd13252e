#pragma once

#include "tesselui/Animateur.h"

#include <QList>
#include <QStringList>
#include <QWidget>

class QAbstractButton;

// A segmented choice of pills: the chosen option stands on a white pill that slides to the
// next one chosen (at once when motion is reduced). Each option is a button of its own, so
// that the keyboard (Tab, then the arrows) and screen readers reach it.
class ChoixPilules : public QWidget {
    Q_OBJECT
public:
    explicit ChoixPilules(const QStringList& options, QWidget* parent = nullptr);

    int choisi() const { return choisi_; }
    void setChoisi(int index);
    void setReduire(bool reduire) { reduire_ = reduire; }
    // The option's rectangle, and where the white pill stands now.
    QRectF cadre(int index) const;
    QRectF curseur() const;
    QAbstractButton& option(int index) { return *options_[index]; }

    QSize sizeHint() const override;

signals:
    // The user chose another option.
    void change(int index);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    void choisir(int index);
    // Hands the keyboard's place to the chosen option.
    void suivre(int index);

    QStringList textes_;
    QList<QAbstractButton*> options_;
    int choisi_ = 0;
    bool reduire_ = false;
    Animateur animateur_;
    Valeur gauche_{0};
    Valeur largeur_{0};
};
