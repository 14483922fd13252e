#pragma once

#include "tesselui/Animateur.h"

#include <QList>
#include <QWidget>

// A tool window's header: the title in the serif title face, then a badge with steady
// digits. A number in the badge counts to its new value; another text replaces the old one
// after it has gone, never over it. No badge while its text is empty.
class Entete : public QWidget {
    Q_OBJECT
public:
    Entete(const QString& titre, const QString& pastille, QWidget* parent = nullptr);

    void setTitre(const QString& titre);
    void setPastille(const QString& pastille);
    const QString& titre() const { return titre_; }
    const QString& pastille() const { return pastille_; }
    void setReduire(bool reduire) { reduire_ = reduire; }

    // The badge's rectangle and the title as shown (elided in the middle), for tests.
    QRect cadrePastille() const;
    QString titreAffiche() const;
    // What the badge shows now: each text with its opacity and its rise in points.
    struct Couche {
        QString texte;
        double opacite;
        double decalage;
    };
    QList<Couche> couches() const;
    Animateur& animateur() { return animateur_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QString titre_;
    QString pastille_;
    QString ancienne_;
    bool compte_ = false;  // the change counts numbers rather than replacing the text
    bool reduire_ = false;
    Animateur animateur_;
    Valeur bascule_{1};  // 0: the old badge text, 1: the new one
};
