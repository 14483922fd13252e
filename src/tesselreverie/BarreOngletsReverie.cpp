#include "tesselreverie/BarreOngletsReverie.h"

#include "tesselreverie/Reverie.h"
#include "tesselui/Icone.h"
#include "tesselui/Vavirud.h"

#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

namespace {

constexpr double cote = 16, ecartIcone = 7, marge = 12, hauteur = 28;
// The selected tab's heavier text sets every tab's width, so the row never shifts.
QFont police(bool choisi) { return Vavirud::texte(13, choisi ? 500 : 400); }

void capsule(QPainter& p, const QRectF& r, const QBrush& b, const QPen& pen = Qt::NoPen)
{
    p.setPen(pen);
    p.setBrush(b);
    const double rayon = std::min(r.width(), r.height()) / 2;
    p.drawRoundedRect(r, rayon, rayon);
}

} // namespace

BarreOngletsReverie::BarreOngletsReverie(QList<Onglet> onglets, QWidget* parent)
    : BarreACases(parent), onglets_(std::move(onglets))
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setSelection(0);
}

QList<QRectF> BarreOngletsReverie::cases(const QList<double>& largeursEtiquettes)
{
    QList<QRectF> r;
    double x = 3;
    for (double l : largeursEtiquettes) {
        const double w = std::max(0.0, l) + 2 * marge;
        r << QRectF(x, 3, w, hauteur);
        x += w + 2;
    }
    return r;
}

QList<double> BarreOngletsReverie::largeurs() const
{
    const QFontMetricsF m(police(true));
    QList<double> l;
    for (const Onglet& o : onglets_)
        l << cote + ecartIcone + std::ceil(m.horizontalAdvance(o.nom.simplified()));
    return l;
}

QList<QRectF> BarreOngletsReverie::cases() const { return cases(largeurs()); }

QSize BarreOngletsReverie::sizeHint() const
{
    const QList<QRectF> c = cases();
    return QSizeF((c.isEmpty() ? 3 : c.last().right()) + 3, hauteur + 6).toSize();
}

void BarreOngletsReverie::peindreFond(QPainter& p, const QRectF& r)
{
    QColor bord = Reverie::encre().pour(palette());
    bord.setAlphaF(0.07f);
    capsule(p, r.adjusted(0.5, 0.5, -0.5, -0.5), Reverie::papier().pour(palette()), QPen(bord, 1));
}

void BarreOngletsReverie::peindrePilule(QPainter& p, const QRectF& r) { capsule(p, r, Reverie::action().pour(palette())); }

void BarreOngletsReverie::peindreCase(QPainter& p, int i, const QRectF& r, bool choisi)
{
    const QColor c = (choisi ? Reverie::surAction() : Reverie::ardoise()).pour(palette());
    const QRectF zone = r.adjusted(marge, 0, -marge, 0);
    const QImage im = Icone::image(onglets_[i].icone, cote, c, devicePixelRatioF());
    if (!im.isNull())
        p.drawImage(QRectF(zone.left(), zone.center().y() - cote / 2, cote, cote), im);
    const QFont f = police(choisi);
    p.setFont(f);
    p.setPen(c);
    const QRectF texte = zone.adjusted(cote + ecartIcone, 0, 0, 0);
    // Names are never elided: the tab is as wide as its name.
    p.drawText(texte.adjusted(0, 0, 2, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, onglets_[i].nom.simplified());
}

std::optional<HintBubble> BarreOngletsReverie::hint(int i, double largeur) const
{
    // The tab already chosen needs no description.
    if (i < 0 || i >= nombre() || i == selection())
        return std::nullopt;
    return HintBubble{onglets_[i].nom, onglets_[i].detail, std::nullopt, largeur};
}

QString BarreOngletsReverie::detailCase(int i) const { return i >= 0 && i < nombre() ? onglets_[i].detail : QString(); }
