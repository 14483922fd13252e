#include "fenetres/commun/TexteErreur.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

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
    setFont(police());
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void TexteErreur::setTexte(const QString& texte)
{
    texte_ = texte;
    setToolTip(texte);
    updateGeometry();
    update();
}

QStringList TexteErreur::lignes() const
{
    const double largeur = std::max(1, width());
    QTextLayout mise(texte_, font());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    mise.setTextOption(option);
    QStringList lignes;
    mise.beginLayout();
    for (QTextLine l = mise.createLine(); l.isValid() && lignes.size() < 2; l = mise.createLine()) {
        l.setLineWidth(largeur);
        QString morceau = texte_.mid(l.textStart(), l.textLength());
        if (lignes.size() == 1 && l.textStart() + l.textLength() < texte_.size())
            morceau = QFontMetricsF(font()).elidedText(texte_.mid(l.textStart()).simplified(), Qt::ElideRight, largeur);
        lignes << morceau.trimmed();
    }
    mise.endLayout();
    return lignes;
}

QSize TexteErreur::sizeHint() const
{
    const QFontMetricsF m(font());
    // Past this width a text takes its second line rather than the hint's room.
    constexpr int largeurVoulue = 240;
    const int naturelle = int(std::ceil(m.horizontalAdvance(texte_))) + 1;
    return {std::min(naturelle, largeurVoulue), int(std::ceil(m.lineSpacing() * 2))};
}

QSize TexteErreur::minimumSizeHint() const { return {0, sizeHint().height()}; }

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
