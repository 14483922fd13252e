#pragma once

#include "roue/VueRoueCouleurs.h"
#include "tesselui/Animateur.h"

#include <QFont>
#include <QImage>
#include <QObject>
#include <QPainter>
#include <QRectF>
#include <QSizeF>
#include <QStringList>
#include <QTimer>
#include <functional>

namespace Roue {

class EtatRoue;

// The face in the wheel's centre. It carries the central text and reacts to the state: eyes
// that follow the aimed petal or tool, narrow during a job, smile on success and droop on a
// failure; it grows in at each opening, shakes at each failure and blinks while the wheel is
// open. The wheel view paints it; it only reads the state.
class Mascotte : public QObject {
    Q_OBJECT
public:
    Mascotte(const EtatRoue& etat, Animateur& animateur, QObject* parent = nullptr);

    // Sizes of the face, of one eye and of each eye's distance from the centre line.
    double r = 64, w = 15.73, h = 29.9, d = 11.83;

    void setReduire(bool reduire);
    bool reduire() const { return reduire_; }
    void setSombre(bool sombre) { sombre_ = sombre; }

    // What the face says, where the eyes look, how open they are.
    QString texte() const;
    QSizeF regard() const;
    double echelleYeux() const;

    // Animated values as they stand: shake offset, arrival scale, eye scale.
    double secousse() const { return secousse_.valeur(); }
    double taille() const { return taille_.valeur(); }
    double ouvertureYeux() const { return yeux_.valeur(); }

    bool clin() const { return clin_; }
    bool arrivee() const { return arrivee_; }
    int echecs() const { return echecs_; }
    // Whether the blink loop is waiting for its next blink.
    bool clignote() const { return clignements_.isActive(); }
    // One blink (nothing when motion is reduced).
    void clinDOeil();

    // Paints the face centred on `centre`.
    void peindre(QPainter& p, QPointF centre);
    // Where it paints, ring and shake included.
    QRectF cadre(QPointF centre) const;
    // Jumps every animation to its end.
    void stabiliser();

    static constexpr double tailleTexte = 11.5;

    // The text laid out in the face: whole lines, shrunk down to 3/4 of the size when needed
    // to fit in two lines of `largeur`, the second line cut short as a last resort.
    struct Texte {
        PoliceRonde police{tailleTexte, QFont::Medium};
        QStringList lignes;
    };
    static Texte miseEnPage(const QString& texte, double taille, double largeur);

signals:
    // Something the face shows changed: repaint it.
    void change();

private:
    void suivre();
    void ouverture();
    void issue();
    void prochainClin();
    Mouvement fondu(double duree) const;
    void peindreVisage(QPainter& p);
    void peindreYeux(QPainter& p, QPointF centre);
    void peindreAnneau(QPainter& p, QPointF centre, double progression);

    const EtatRoue& etat_;
    Animateur& animateur_;
    bool reduire_ = false;
    bool sombre_ = false;
    bool clin_ = false;
    bool arrivee_ = true;
    int echecs_ = 0;
    QTimer clignements_;
    // Animated: gaze, eye scale, arrival scale, shake offset, ring fraction.
    Valeur regardX_, regardY_, yeux_{1}, taille_{1}, secousse_, anneau_;
    bool anneauMontre_ = false;
    QImage visage_;  // the face, at dprVisage_ device pixels per point, marked 1:1
    double dprVisage_ = 0;
    QString texteMisEnPage_;
    Texte miseEnPage_;
};

} // namespace Roue
