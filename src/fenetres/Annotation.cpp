#include "fenetres/Annotation.h"

#include "conversions/Erreur.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

const std::array<QColor, 6>& couleursAnnotation()
{
    static const std::array<QColor, 6> c{
        QColor::fromRgbF(0.1f, 0.1f, 0.12f), QColor::fromRgbF(0.93f, 0.23f, 0.24f), QColor::fromRgbF(1.0f, 0.6f, 0.1f),
        QColor::fromRgbF(0.2f, 0.7f, 0.35f), QColor::fromRgbF(0.15f, 0.45f, 0.95f), QColor::fromRgbF(0.55f, 0.3f, 0.9f),
    };
    return c;
}

const std::array<OutilAnnotation, 3>& outilsAnnotation()
{
    static const std::array<OutilAnnotation, 3> o{
        OutilAnnotation{QCoreApplication::translate("VueAnnoter", "Flèche"),
                        QCoreApplication::translate("VueAnnoter", "Tracer une flèche"), Annotation::Genre::fleche},
        OutilAnnotation{QCoreApplication::translate("VueAnnoter", "Cadre"),
                        QCoreApplication::translate("VueAnnoter", "Entourer d'un cadre"), Annotation::Genre::cadre},
        OutilAnnotation{QCoreApplication::translate("VueAnnoter", "Texte"),
                        QCoreApplication::translate("VueAnnoter", "Cliquer pour écrire un texte"),
                        Annotation::Genre::texte},
    };
    return o;
}

Mesure Mesure::pour(QSizeF image)
{
    const double m = image.isEmpty() ? 1 : std::min(image.width(), image.height());
    return {std::max(0.006 * m, 3.0), std::max(0.045 * m, 18.0)};
}

std::array<QPointF, 3> Mesure::pointe(QPointF a, QPointF b) const
{
    const double t = std::atan2(b.y() - a.y(), b.x() - a.x());
    const double L = 4.2 * trait;
    return {b, b - L * QPointF(std::cos(t - 0.48), std::sin(t - 0.48)),
            b - L * QPointF(std::cos(t + 0.48), std::sin(t + 0.48))};
}

QPointF Mesure::finTige(QPointF a, QPointF b) const
{
    const double t = std::atan2(b.y() - a.y(), b.x() - a.x());
    return b - 2.6 * trait * QPointF(std::cos(t), std::sin(t));
}

namespace {

const QColor halo = QColor::fromRgbF(1, 1, 1, 0.85f);
const QColor contour = QColor::fromRgbF(1, 1, 1, 0.9f);

QPen stylo(const QColor& c, double largeur, Qt::PenCapStyle bout, Qt::PenJoinStyle jointure)
{
    QPen p(c, largeur, Qt::SolidLine, bout, jointure);
    p.setMiterLimit(10);
    return p;
}

// The letters: bold sans-serif at the size rule's pixel size.
QFont lettres(const Mesure& m)
{
    QFont f;
    f.setFamily(QStringLiteral("sans-serif"));
    f.setBold(true);
    f.setPixelSize(std::max(1, int(std::lround(m.police))));
    return f;
}

void fleche(QPainter& p, const Annotation& marque, const Mesure& m)
{
    const double t = m.trait;
    const QLineF tige(marque.a, m.finTige(marque.a, marque.b));
    const auto coins = m.pointe(marque.a, marque.b);
    QPainterPath tete;
    tete.moveTo(coins[0]);
    tete.lineTo(coins[1]);
    tete.lineTo(coins[2]);
    tete.closeSubpath();
    p.setBrush(Qt::NoBrush);
    p.setPen(stylo(halo, t + 2, Qt::RoundCap, Qt::MiterJoin));
    p.drawLine(tige);
    p.setPen(stylo(halo, 2, Qt::FlatCap, Qt::RoundJoin));
    p.drawPath(tete);
    p.setPen(stylo(marque.couleur, t, Qt::RoundCap, Qt::MiterJoin));
    p.drawLine(tige);
    p.setPen(Qt::NoPen);
    tete.setFillRule(Qt::WindingFill);
    p.fillPath(tete, marque.couleur);
}

void cadre(QPainter& p, const Annotation& marque, const Mesure& m)
{
    const double t = m.trait;
    QPainterPath bord;
    bord.addRoundedRect(QRectF(marque.a, marque.b).normalized(), t, t);
    p.setBrush(Qt::NoBrush);
    p.strokePath(bord, stylo(halo, t + 2, Qt::FlatCap, Qt::MiterJoin));
    p.strokePath(bord, stylo(marque.couleur, t, Qt::FlatCap, Qt::MiterJoin));
}

void texte(QPainter& p, const Annotation& marque, const Mesure& m)
{
    static constexpr std::array<QPointF, 8> directions{QPointF(-1, 0),      QPointF(1, 0),       QPointF(0, -1),
                                                       QPointF(0, 1),       QPointF(-0.7, -0.7), QPointF(0.7, 0.7),
                                                       QPointF(-0.7, 0.7), QPointF(0.7, -0.7)};
    const QFont f = lettres(m);
    p.setFont(f);
    // The point is the text's top-left corner: its baseline is one ascent below.
    const QPointF ligne = marque.a + QPointF(0, QFontMetricsF(f).ascent());
    p.setPen(contour);
    for (const QPointF& d : directions)
        p.drawText(ligne + 0.035 * m.police * d, marque.texte);
    p.setPen(marque.couleur);
    p.drawText(ligne, marque.texte);
}

} // namespace

void dessiner(QPainter& p, const Annotation& marque, double k, QPointF o, const Mesure& m)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.translate(o);
    p.scale(k, k);
    switch (marque.genre) {
    case Annotation::Genre::fleche:
        fleche(p, marque, m);
        break;
    case Annotation::Genre::cadre:
        cadre(p, marque, m);
        break;
    case Annotation::Genre::texte:
        texte(p, marque, m);
        break;
    }
    p.restore();
}

namespace Retouches {

QImage annoter(const QImage& photo, const QList<Annotation>& marques)
{
    const QString image = QCoreApplication::translate("Conversions", "image");
    if (photo.isNull())
        throw Conversions::Erreur::ecriture(image);
    // The raster painter's own formats: premultiplied when the photo has transparency.
    QImage resultat = photo.convertToFormat(photo.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                                    : QImage::Format_RGB32);
    if (resultat.cacheKey() == photo.cacheKey())
        resultat = resultat.copy();
    if (resultat.isNull())
        throw Conversions::Erreur::ecriture(image);
    QPainter p(&resultat);
    if (!p.isActive())
        throw Conversions::Erreur::ecriture(image);
    const Mesure m = Mesure::pour(resultat.size());
    for (const Annotation& marque : marques)
        dessiner(p, marque, 1, QPointF(), m);
    p.end();
    return resultat;
}

} // namespace Retouches
