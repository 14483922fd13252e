#include "roue/VueRoueCouleurs.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <algorithm>
#include <cmath>

namespace Roue {

namespace {

QColor rvb(int r, int v, int b, double opacite = 1)
{
    QColor c(r, v, b);
    c.setAlphaF(float(opacite));
    return c;
}

QColor noir(double opacite) { return rvb(0, 0, 0, opacite); }

} // namespace

namespace Couleurs {

QColor blanc(double opacite) { return rvb(255, 255, 255, opacite); }

QColor attenuee(QColor c, double facteur)
{
    c.setAlphaF(float(c.alphaF() * facteur));
    return c;
}

QColor encre() { return rvb(24, 25, 27); }
QColor lueurTilleul() { return rvb(195, 223, 123, 0.75); }
QColor lueurRose() { return rvb(240, 160, 196, 0.7); }

QLinearGradient diagonale(const QRectF& cadre, const QList<QColor>& couleurs)
{
    QLinearGradient g(cadre.topLeft(), cadre.bottomRight());
    for (int i = 0; i < couleurs.size(); ++i)
        g.setColorAt(couleurs.size() == 1 ? 0 : double(i) / (couleurs.size() - 1), couleurs[i]);
    return g;
}

QLinearGradient tilleulVerre(const QRectF& cadre)
{
    return diagonale(cadre, {rvb(195, 223, 123, 0.78), rvb(233, 234, 176, 0.7), rvb(163, 220, 227, 0.78)});
}

} // namespace Couleurs

using Couleurs::blanc;

Teintes::Teintes(bool sombre)
    : fond(sombre ? blanc(0.08) : blanc(0.16)),
      contour(sombre ? blanc(0.22) : rvb(70, 80, 105, 0.28)),
      libelle(sombre ? blanc(0.92) : Couleurs::encre()),
      halo(sombre ? noir(0.35) : blanc(0.6)),
      ombreVerre(sombre ? noir(0.4) : rvb(20, 24, 40, 0.18)),
      ombre(sombre ? noir(0.3) : rvb(40, 50, 80, 0.16))
{
}

PoliceRonde::PoliceRonde(double pixels, QFont::Weight graisse) : taille_(std::max(pixels, 1.0 / sur))
{
    // A rounded sans from the system when there is one (Debian: fonts-quicksand).
    static const QString famille = [] {
        for (const QString& f : {QStringLiteral("Quicksand"), QStringLiteral("Comfortaa")})
            if (QFontDatabase::families().contains(f))
                return f;
        return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    }();
    // Some families ship their medium weight as a family of its own.
    const QString moyenne = famille + QStringLiteral(" Medium");
    const bool aPart = graisse == QFont::Medium && QFontDatabase::families().contains(moyenne);
    grande_ = QFont(aPart ? moyenne : famille);
    grande_.setStyleStrategy(QFont::PreferAntialias);
    grande_.setWeight(aPart ? QFont::Normal : graisse);
    grande_.setPixelSize(std::max(1, int(std::lround(taille_ * sur))));
}

double PoliceRonde::largeur(const QString& texte) const
{
    return QFontMetricsF(grande_).horizontalAdvance(texte) / sur;
}

double PoliceRonde::hauteur() const { return QFontMetricsF(grande_).height() / sur; }

double PoliceRonde::ascendante() const { return QFontMetricsF(grande_).ascent() / sur; }

QString PoliceRonde::elider(const QString& texte, double largeur) const
{
    return QFontMetricsF(grande_).elidedText(texte, Qt::ElideRight, largeur * sur);
}

void PoliceRonde::dessiner(QPainter& p, QPointF origine, const QString& texte) const
{
    p.save();
    p.translate(origine);
    p.scale(1.0 / sur, 1.0 / sur);
    p.setFont(grande_);
    p.drawText(QPointF(0, 0), texte);
    p.restore();
}

} // namespace Roue
