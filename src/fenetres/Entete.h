#pragma once

#include "tesselui/Animateur.h"

#include <QWidget>

// A tool window's header: the title in the serif title face, then a badge whose text
// changes roll in.
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

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QString titre_;
    QString pastille_;
    QString ancienne_;
    bool reduire_ = false;
    Animateur animateur_;
    Valeur bascule_{1};  // 0: the old badge text, 1: the new one
};
