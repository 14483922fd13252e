#pragma once

#include <QLineF>
#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <array>
#include <optional>

// The crop frame's geometry, in pixels of the oriented photo (origin top-left, y down),
// apart from the view that draws it.
namespace Cadre {

// One of the six formats: its title and its width ÷ height; none for free proportions,
// 0 for the photo's own.
struct Format {
    QString titre;
    std::optional<double> ratio;
};
const QList<Format>& formats();

// The ratio in force for format `index` on a photo of `image` (none while not loaded).
std::optional<double> ratio(int index, std::optional<QSizeF> image);

// The frame reshaped to ratio `r`: same centre, width grown by at most 15 % and never beyond
// the photo, a height jump kept within bounds, inside the photo.
QRectF appliquerRatio(const QRectF& c, QSizeF image, std::optional<double> r);

// The eight handles, in the order they are painted. Their raw values name the edges they
// move: "h" top, "b" bottom, "g" left, "d" right.
enum class Poignee { hg, hd, bg, bd, h, b, g, d };
const std::array<Poignee, 8>& poignees();
QString brut(Poignee p);
std::optional<Poignee> depuisBrut(const QString& texte);
// Its centre and the area that takes its clicks, for a frame `R` in canvas points.
QPointF centre(Poignee p, const QRectF& R);
QRectF zone(Poignee p, const QRectF& R);
// The handle under `point`: the last painted wins, as on screen.
std::optional<Poignee> sous(QPointF point, const QRectF& R);

// The smallest side a handle leaves to the frame; on each axis never more than the photo's.
double coteMinimum(QSizeF image);

// The frame `depart` dragged by `element` ("tout" for the whole frame, else a handle's raw
// value) by `delta` pixels, with ratio `r` in force. A handle leaves at least the smallest
// side, or what the frame had when it was already narrower; the frame stays in the photo.
QRectF glisser(const QString& element, const QRectF& depart, QPointF delta, QSizeF image,
               std::optional<double> r);

// The pixels a crop takes: every pixel the frame touches (its edges rounded outwards), inside
// the photo, never less than one pixel a side on a photo that has some. The badge shows its
// size.
QRect region(const QRectF& c, QSize image);

// The canvas: the scale (points per pixel) that fits the photo with 16 points on every side,
// and the photo's origin, centred.
double echelle(QSizeF toile, QSizeF image);
QPointF origine(QSizeF toile, QSizeF image, double s);

// The rule of thirds of a rectangle: four segments, vertical then horizontal, in paint order.
std::array<QLineF, 4> tiers(const QRectF& r);

} // namespace Cadre
