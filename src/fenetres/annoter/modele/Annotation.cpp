#include "fenetres/annoter/modele/Annotation.h"

#include "conversions/Erreur.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPainterPath>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <thread>
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
        OutilAnnotation{QCoreApplication::translate("VueAnnoter", "Flèche"), QStringLiteral("arrow.up.right"),
                        QCoreApplication::translate("VueAnnoter", "Tracer une flèche"), Annotation::Genre::fleche},
        OutilAnnotation{QCoreApplication::translate("VueAnnoter", "Cadre"), QStringLiteral("rectangle"),
                        QCoreApplication::translate("VueAnnoter", "Entourer d'un cadre"), Annotation::Genre::cadre},
        OutilAnnotation{QCoreApplication::translate("VueAnnoter", "Texte"), QStringLiteral("textformat"),
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

// A stroke with round ends. A straight flat-ended line is rasterised directly, where a path
// with round caps goes through the general path filler, ten times slower on a long diagonal;
// the round ends are half discs beyond each end.
void tige(QPainter& p, const QLineF& l, const QColor& c, double largeur)
{
    p.setPen(stylo(c, largeur, Qt::FlatCap, Qt::MiterJoin));
    p.drawLine(l);
    const double a = l.angle();
    const QSizeF d(largeur, largeur);
    QPainterPath bouts(l.p1());
    bouts.arcTo(QRectF(l.p1() - QPointF(largeur / 2, largeur / 2), d), a + 90, 180);
    bouts.closeSubpath();
    bouts.moveTo(l.p2());
    bouts.arcTo(QRectF(l.p2() - QPointF(largeur / 2, largeur / 2), d), a - 90, 180);
    bouts.closeSubpath();
    p.fillPath(bouts, c);
}

void fleche(QPainter& p, const Annotation& marque, const Mesure& m)
{
    const double t = m.trait;
    const QLineF ligne(marque.a, m.finTige(marque.a, marque.b));
    const auto coins = m.pointe(marque.a, marque.b);
    QPainterPath tete;
    tete.moveTo(coins[0]);
    tete.lineTo(coins[1]);
    tete.lineTo(coins[2]);
    tete.closeSubpath();
    tige(p, ligne, halo, t + 2);
    p.strokePath(tete, stylo(halo, 2, Qt::FlatCap, Qt::RoundJoin));
    tige(p, ligne, marque.couleur, t);
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
    // The point is the text's top-left corner: its baseline is one ascent below.
    QPainterPath forme;
    forme.addText(marque.a + QPointF(0, QFontMetricsF(f).ascent()), f, marque.texte);
    // Large letters are slow to fill: the shape is filled once per colour into a tile at the
    // device's resolution, and the tiles are laid down as the nine copies.
    const QTransform T = p.transform();
    const double dpr = p.device() ? p.device()->devicePixelRatioF() : 1;
    const QPainterPath ecran = T.map(forme);
    const QRect cadre = ecran.boundingRect().toAlignedRect().adjusted(-1, -1, 1, 1);
    if (cadre.isEmpty())
        return;
    const auto tuile = [&](const QColor& c) {
        QImage t((QSizeF(cadre.size()) * dpr).toSize(), QImage::Format_ARGB32_Premultiplied);
        t.fill(Qt::transparent);
        t.setDevicePixelRatio(dpr);
        QPainter q(&t);
        q.setRenderHint(QPainter::Antialiasing);
        q.translate(-QPointF(cadre.topLeft()));
        q.fillPath(ecran, c);
        return t;
    };
    const QImage blanc = tuile(contour), plein = tuile(marque.couleur);
    const double e = 0.035 * m.police;
    p.save();
    p.resetTransform();
    for (const QPointF& d : directions)
        p.drawImage(QPointF(cadre.topLeft()) + QPointF(d.x() * e * T.m11(), d.y() * e * T.m22()), blanc);
    p.drawImage(QPointF(cadre.topLeft()), plein);
    p.restore();
}

// Where a mark may paint, halo and outline included, in photo pixels.
QRectF etendue(const Annotation& marque, const Mesure& m)
{
    if (marque.genre == Annotation::Genre::texte) {
        const QRectF r = QFontMetricsF(lettres(m)).boundingRect(marque.texte).translated(marque.a);
        return r.translated(0, QFontMetricsF(lettres(m)).ascent()).adjusted(-m.police, -m.police, m.police, m.police);
    }
    const double d = marque.genre == Annotation::Genre::fleche ? 4.2 * m.trait + 2 : m.trait + 2;
    return QRectF(marque.a, marque.b).normalized().adjusted(-d, -d, d, d);
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
    // Painted in the layout the writer takes, premultiplied when the photo has transparency.
    const QImage::Format format = photo.hasAlphaChannel() ? QImage::Format_RGBA8888_Premultiplied
                                                          : QImage::Format_RGBX8888;
    QImage resultat = photo.format() == format ? photo.copy() : photo.convertToFormat(format);
    if (resultat.isNull())
        throw Conversions::Erreur::ecriture(image);
    // Long strokes and large letters on a big photo: each band of rows is painted by a
    // thread of its own, every band with every mark, clipped to its rows.
    const Mesure m = Mesure::pour(resultat.size());
    uchar* pixels = resultat.bits();
    const int H = resultat.height();
    const int n = std::clamp(H / 256, 1, std::max(1, QThread::idealThreadCount()));
    std::atomic<bool> echec = false;
    std::vector<std::thread> fils;
    for (int i = 0; i < n; ++i) {
        const int y0 = H * i / n, y1 = H * (i + 1) / n;
        fils.emplace_back([&, y0, y1] {
            QImage bande(pixels + qsizetype(y0) * resultat.bytesPerLine(), resultat.width(), y1 - y0,
                         resultat.bytesPerLine(), format);
            QPainter p(&bande);
            if (!p.isActive()) {
                echec = true;
                return;
            }
            for (const Annotation& marque : marques) {
                const QRectF e = etendue(marque, m);
                if (e.bottom() >= y0 && e.top() <= y1)
                    dessiner(p, marque, 1, QPointF(0, -y0), m);
            }
        });
    }
    for (std::thread& f : fils)
        f.join();
    if (echec)
        throw Conversions::Erreur::ecriture(image);
    return resultat;
}

} // namespace Retouches
