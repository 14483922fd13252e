#pragma once

#include "fenetres/annoter/modele/Annotation.h"
#include "fenetres/commun/modele/Toile.h"
#include "fenetres/commun/VueOutil.h"

#include <QImage>
#include <QList>
#include <optional>

class QAbstractButton;
class QLabel;
class QLineEdit;

// The annotate tool: arrows, frames and short texts in six colours over a photo, the last
// one taken back with Ctrl+Z, and the photo with its marks saved at full size beside the
// source under the word "annotée", looking as the canvas shows it.
class VueAnnoter : public VueOutil {
    Q_OBJECT
public:
    VueAnnoter(const QString& url, FenetreOutil* fenetre, Fini fini);

    const QList<Annotation>& faites() const { return faites_; }
    bool chargee() const { return !image_.isNull(); }
    int outil() const { return outil_; }
    int couleur() const { return couleur_; }
    void choisirOutil(int index);
    void choisirCouleur(int index);
    // Closes an open text without keeping it, else removes the last mark.
    void reprendre();
    // The text being typed, while one is open.
    QLineEdit* saisie() const;
    Mesure mesure() const;
    Toile toile() const;
    QWidget& canevas();
    // The tool buttons and the colour buttons, in their order.
    const QList<QAbstractButton*>& boutonsOutils() const { return outils_; }
    const QList<QAbstractButton*>& boutonsCouleurs() const { return couleurs_; }

signals:
    // The photo has been read (or failed to be).
    void charge();

protected:
    void valider() override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    class Canevas;
    class Champ;
    // Keeps the text being typed when it holds more than blanks, and closes the entry.
    void validerTexte();
    void fermerTexte();
    void ouvrirTexte(QPointF point);
    void placerChamp();
    void majTextes();

    QImage image_, apercu_;
    QList<Annotation> faites_;
    std::optional<Annotation> enCours_;
    int outil_ = 0;
    int couleur_ = couleurInitiale;
    std::optional<QPointF> point_;  // where the text being typed stands, in photo pixels
    Canevas* canevas_;
    Champ* champ_;
    QList<QAbstractButton*> outils_;
    QList<QAbstractButton*> couleurs_;
    QAbstractButton* reprendre_;
    QLabel* aide_;
};
