#include "roue/VueRoueEtiquette.h"

#include "roue/Effets.h"
#include "tesselui/Icone.h"
#include "roue/VueRoueCouleurs.h"

#include <QCache>
#include <QFontMetricsF>
#include <cmath>

namespace Roue {

namespace {

constexpr double coteSymbole = 17;  // a symbol beside 15-pixel text
constexpr double espacement = 4;
constexpr double tailleTitre = 13;
constexpr double halos[] = {2.5, 1.2};

QSizeF tailleContenu(const QString& titre)
{
    const PoliceRonde police(tailleTitre, QFont::DemiBold);
    return {std::max(coteSymbole, police.largeur(titre)), coteSymbole + espacement + police.hauteur()};
}

QImage contenu(const QString& titre, const QString& symbole, const QColor& couleur, double echelle,
               double marge, QPointF* centre)
{
    const PoliceRonde police(tailleTitre, QFont::DemiBold);
    const auto [largeur, hauteur] = tailleContenu(titre);
    const QSizeF taille(largeur + 2 * marge, hauteur + 2 * marge);
    QImage im(int(std::ceil(taille.width() * echelle)), int(std::ceil(taille.height() * echelle)),
              QImage::Format_ARGB32_Premultiplied);
    im.fill(Qt::transparent);
    im.setDevicePixelRatio(echelle);
    QPainter p(&im);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    const double x0 = marge + largeur / 2;
    const QImage s = Icone::image(symbole, coteSymbole, couleur, echelle);
    if (!s.isNull())
        Effets::dessinerImage(p, QPointF(x0 - coteSymbole / 2, marge), s);
    p.setPen(couleur);
    police.dessiner(p, QPointF(x0 - police.largeur(titre) / 2, marge + coteSymbole + espacement + police.ascendante()),
                    titre);
    *centre = {x0, marge + hauteur / 2};
    return im;
}

} // namespace

Etiquette Etiquette::faire(const QString& titre, const QString& symbole, const QColor& couleur,
                           const QColor& halo, double echelle)
{
    static QCache<QString, Etiquette> cache(128);
    const QString cle = QStringLiteral("%1|%2|%3|%4|%5").arg(titre, symbole).arg(couleur.rgba()).arg(halo.rgba()).arg(echelle);
    if (const Etiquette* e = cache.object(cle))
        return *e;
    const double marge = std::ceil(3 * halos[0]) + 1;
    QPointF centre;
    const QImage texte = contenu(titre, symbole, couleur, echelle, marge, &centre);
    // The halos are soft: made at one pixel per point at most, then laid under the crisp text.
    const double flou = std::min(echelle, 1.0);
    const QImage source = flou == echelle ? texte : contenu(titre, symbole, couleur, flou, marge, &centre);
    QImage tout(texte.size(), QImage::Format_ARGB32_Premultiplied);
    tout.fill(Qt::transparent);
    tout.setDevicePixelRatio(echelle);
    {
        QPainter p(&tout);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        const QRectF cadre(QPointF(0, 0), QSizeF(texte.size()) / echelle);
        for (double r : halos) {
            QImage h = Effets::flouter(source, r * flou, halo);
            h.setDevicePixelRatio(1);
            p.drawImage(QRectF(QPointF(0, 0), QSizeF(h.size()) / flou), h);
        }
        Effets::dessinerImage(p, cadre.topLeft(), texte);
    }
    const Etiquette e{tout, centre};
    cache.insert(cle, new Etiquette(e));
    return e;
}

void Etiquette::dessiner(QPainter& p, QPointF lieu) const
{
    Effets::dessinerImage(p, lieu - centre, image);
}

QRectF Etiquette::cadre(const QString& titre, QPointF lieu)
{
    const QSizeF t = tailleContenu(titre);
    return {lieu.x() - t.width() / 2, lieu.y() - t.height() / 2, t.width(), t.height()};
}

} // namespace Roue
