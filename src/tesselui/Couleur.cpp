#include "tesselui/Couleur.h"

QColor Couleur::qcolor(const Tokens::RGB& c) { return QColor::fromRgbF(float(c.r), float(c.g), float(c.b), float(c.a)); }

QColor Couleur::pour(Apparence apparence) const
{
    return qcolor(apparence == Apparence::sombre ? valeurs_.dark : valeurs_.light);
}

Couleur::Apparence Couleur::apparence(const QPalette& palette)
{
    return palette.color(QPalette::Window).lightness() < 128 ? Apparence::sombre : Apparence::claire;
}
