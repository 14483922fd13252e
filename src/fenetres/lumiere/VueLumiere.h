#pragma once

#include "fenetres/commun/VueOutil.h"

#include <QImage>

class ValeurChiffree;
#include <QTimer>

class Pilule;
class QSlider;
class QLabel;
class QVBoxLayout;

// The light tool: an automatic adjustment to switch on or off, three sliders (light,
// contrast, colours), a preview that shows the untouched photo while pressed, and the
// corrected photo saved at full size beside the source under the word "retouchée".
class VueLumiere : public VueOutil {
    Q_OBJECT
public:
    VueLumiere(const QString& url, FenetreOutil* fenetre, Fini fini);

    // The settings, as the sliders and the button hold them.
    double lumiere() const;
    double contraste() const;
    double couleurs() const;
    bool automatique() const { return auto_; }
    void setReglages(double lumiere, double contraste, double couleurs, bool automatique);
    void remettreAZero();
    // The preview as loaded, and as rendered with the settings.
    const QImage& apercu() const { return apercu_; }
    const QImage& rendu() const { return rendu_; }

signals:
    void charge();
    void rendue();

protected:
    void valider() override;

private:
    class Apercu;
    struct Ligne {
        QSlider* curseur;
        ValeurChiffree* valeur;
    };
    Ligne ajouterLigne(QVBoxLayout& colonne, const QString& nom);
    void changer();
    void rendre();

    QImage apercu_;
    QImage rendu_;
    bool auto_ = false;
    bool avant_ = false;
    Ligne lumiere_, contraste_, couleurs_;
    Pilule* automatique_;
    Apercu* vue_;
    QTimer pause_;
    quint64 generation_ = 0;
};
