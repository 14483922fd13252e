#include "fenetres/commun/TexteErreur.h"

#include "fenetres/commun/Accessibles.h"
#include "fenetres/commun/modele/Lignes.h"

#include <QFontMetricsF>
#include <QPainter>

namespace {

QFont police()
{
    QFont f;
    f.setPixelSize(12);
    return f;
}

const QColor rouge(214, 45, 32);

} // namespace

TexteErreur::TexteErreur(QWidget* parent) : QWidget(parent)
{
    Accessibles::installer();
    setFont(police());
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void TexteErreur::setTexte(const QString& texte, const QString& nom)
{
    texte_ = texte;
    nom_ = nom;
    mesure_ = -1;
    // The width its two lines need, broken between words; past the widest, the quoted name
    // is shortened in its middle. It grows into the row's free room up to one line.
    constexpr int plusLarge = 240;
    voulue_ = std::min(Lignes::largeurPour(texte, font(), 2), plusLarge);
    setMaximumWidth(std::max(voulue_, Lignes::largeurPour(texte, font(), 1)));
    setToolTip(texte);
    setAccessibleName(texte);
    updateGeometry();
    update();
}

QStringList TexteErreur::lignes() const
{
    if (mesure_ != width()) {
        mesure_ = width();
        lignes_ = Lignes::ajuster(texte_, font(), std::max(1, width()), 2, nom_);
    }
    return lignes_;
}

QSize TexteErreur::sizeHint() const
{
    return {voulue_, int(std::ceil(QFontMetricsF(font()).lineSpacing() * 2))};
}

// The window widens to give it the width it asks for; on a screen too narrow for that, it
// yields before the controls beside it do.
QSize TexteErreur::minimumSizeHint() const { return {std::min(voulue_, 80), sizeHint().height()}; }

void TexteErreur::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setPen(rouge);
    const QStringList l = lignes();
    const QFontMetricsF m(font());
    // Centred on the row, as the buttons are.
    double y = (height() - l.size() * m.lineSpacing()) / 2 + m.ascent();
    for (const QString& ligne : l) {
        p.drawText(QPointF(0, y), ligne);
        y += m.lineSpacing();
    }
}
