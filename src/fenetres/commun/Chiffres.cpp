#include "fenetres/commun/Chiffres.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>

Chiffres::Chiffres(double pixels, QFont::Weight graisse) : taille_(std::max(pixels, 1.0 / sur))
{
    grande_.setStyleStrategy(QFont::PreferAntialias);
    grande_.setWeight(graisse);
    grande_.setPixelSize(std::max(1, int(std::lround(taille_ * sur))));
    const QFontMetricsF m(grande_);
    cellule_ = 0;
    for (char c = '0'; c <= '9'; ++c)
        cellule_ = std::max(cellule_, m.horizontalAdvance(QLatin1Char(c)));
}

double Chiffres::largeur(const QString& texte) const
{
    const QFontMetricsF m(grande_);
    double l = 0;
    QString suite;
    for (const QChar c : texte) {
        if (c.isDigit()) {
            l += m.horizontalAdvance(suite) + cellule_;
            suite.clear();
        } else {
            suite += c;
        }
    }
    return (l + m.horizontalAdvance(suite)) / sur;
}

double Chiffres::hauteur() const { return QFontMetricsF(grande_).height() / sur; }

double Chiffres::ascendante() const { return QFontMetricsF(grande_).ascent() / sur; }

void Chiffres::dessiner(QPainter& p, QPointF origine, const QString& texte) const
{
    const QFontMetricsF m(grande_);
    p.save();
    p.translate(origine);
    p.scale(1.0 / sur, 1.0 / sur);
    p.setFont(grande_);
    double x = 0;
    QString suite;  // letters between digits go in one piece, with their kerning
    const auto vider = [&] {
        if (suite.isEmpty())
            return;
        p.drawText(QPointF(x, 0), suite);
        x += m.horizontalAdvance(suite);
        suite.clear();
    };
    for (const QChar c : texte) {
        if (!c.isDigit()) {
            suite += c;
            continue;
        }
        vider();
        p.drawText(QPointF(x + (cellule_ - m.horizontalAdvance(c)) / 2, 0), QString(c));
        x += cellule_;
    }
    vider();
    p.restore();
}

void Chiffres::dessiner(QPainter& p, const QRectF& r, Qt::Alignment alignement, const QString& texte) const
{
    const double l = largeur(texte);
    double x = r.left();
    if (alignement & Qt::AlignRight)
        x = r.right() - l;
    else if (alignement & Qt::AlignHCenter)
        x = r.center().x() - l / 2;
    const QFontMetricsF m(grande_);
    const double y = r.center().y() + (m.ascent() - m.descent()) / 2 / sur;
    dessiner(p, QPointF(x, y), texte);
}
