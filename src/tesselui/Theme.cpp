#include "tesselui/Theme.h"

#include "tesselui/Vavirud.h"

namespace Theme {

void fenetre(QWidget* w, double taille)
{
    QPalette pal = w->palette();
    const Couleur::Apparence a = Couleur::apparence(pal);
    pal.setColor(QPalette::Window, canvas().pour(a));
    pal.setColor(QPalette::Base, surface().pour(a));
    pal.setColor(QPalette::Button, panel().pour(a));
    for (QPalette::ColorRole r : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        pal.setColor(r, ink().pour(a));
    pal.setColor(QPalette::Highlight, brandAccent().pour(a));
    w->setPalette(pal);
    w->setAutoFillBackground(true);
    w->setFont(Vavirud::texte(taille, Tokens::Typography::weightRegular));
}

void preparer(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
}

void peindreCarte(QPainter& p, const QRectF& r, const QColor& fond)
{
    p.save();
    preparer(p);
    p.setBrush(fond);
    p.drawRoundedRect(r, Tokens::Radius::cards, Tokens::Radius::cards);
    p.restore();
}

} // namespace Theme
