#include "fenetres/lumiere/ValeurChiffree.h"

#include "fenetres/commun/Chiffres.h"
#include "fenetres/commun/Couleurs.h"

#include <QPainter>

ValeurChiffree::ValeurChiffree(QWidget* parent) : QWidget(parent)
{
    setFixedWidth(36);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
}

void ValeurChiffree::setTexte(const QString& texte)
{
    if (texte == texte_)
        return;
    texte_ = texte;
    setAccessibleName(texte);
    update();
}

void ValeurChiffree::paintEvent(QPaintEvent*)
{
    static const Chiffres chiffres(12.5);
    QPainter p(this);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setPen(Couleurs::ardoise());
    chiffres.dessiner(p, QRectF(rect()), Qt::AlignRight, texte_);
}
