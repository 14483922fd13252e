#include "fenetres/rogner/modele/Cadre.h"

#include <QCoreApplication>
#include <QRect>
#include <algorithm>
#include <cmath>

namespace Cadre {

const QList<Format>& formats()
{
    static const QList<Format> f = {
        {QCoreApplication::translate("VueRogner", "Libre"), std::nullopt},
        {QCoreApplication::translate("VueRogner", "Carré"), 1.0},
        {QStringLiteral("4:5"), 0.8},
        {QStringLiteral("9:16"), 0.5625},
        {QStringLiteral("16:9"), 16.0 / 9.0},
        {QCoreApplication::translate("VueRogner", "Original"), 0.0},
    };
    return f;
}

std::optional<double> ratio(int index, std::optional<QSizeF> image)
{
    if (index < 0 || index >= formats().size() || !formats()[index].ratio)
        return std::nullopt;
    const double r = *formats()[index].ratio;
    if (r == 0)
        return image && image->height() > 0 ? image->width() / image->height() : 1.0;
    return r;
}

QRectF appliquerRatio(const QRectF& c, QSizeF image, std::optional<double> r)
{
    if (!r || *r <= 0)
        return c;
    const double W = image.width(), H = image.height();
    double w = std::min(c.width() * 1.15, W);
    double h = w / *r;
    if (H < h) {
        h = H;
        w = h * *r;
    }
    if (c.height() * 1.15 < h && c.height() < H) {
        h = std::min(std::max(c.height(), 0.85 * h), H);
        w = h * *r;
    }
    double x = c.center().x() - w / 2;
    x = std::min(std::max(x, 0.0), W - w);
    double y = c.center().y() - h / 2;
    y = std::min(std::max(y, 0.0), H - h);
    return {x, y, w, h};
}

const std::array<Poignee, 8>& poignees()
{
    static const std::array<Poignee, 8> p = {Poignee::hg, Poignee::hd, Poignee::bg, Poignee::bd,
                                             Poignee::h,  Poignee::b,  Poignee::g,  Poignee::d};
    return p;
}

QString brut(Poignee p)
{
    static const char* const noms[] = {"hg", "hd", "bg", "bd", "h", "b", "g", "d"};
    return QLatin1String(noms[static_cast<int>(p)]);
}

std::optional<Poignee> depuisBrut(const QString& texte)
{
    for (Poignee p : poignees())
        if (brut(p) == texte)
            return p;
    return std::nullopt;
}

QPointF centre(Poignee p, const QRectF& R)
{
    switch (p) {
    case Poignee::hg: return {R.left() + 7, R.top() + 7};
    case Poignee::hd: return {R.right() - 7, R.top() + 7};
    case Poignee::bg: return {R.left() + 7, R.bottom() - 7};
    case Poignee::bd: return {R.right() - 7, R.bottom() - 7};
    case Poignee::h: return {R.center().x(), R.top()};
    case Poignee::b: return {R.center().x(), R.bottom()};
    case Poignee::g: return {R.left(), R.center().y()};
    case Poignee::d: return {R.right(), R.center().y()};
    }
    return R.center();
}

QRectF zone(Poignee p, const QRectF& R)
{
    QSizeF taille(26, 26);
    if (p == Poignee::h || p == Poignee::b)
        taille = {std::max(R.width() - 44, 20.0), 16};
    else if (p == Poignee::g || p == Poignee::d)
        taille = {16, std::max(R.height() - 44, 20.0)};
    const QPointF m = centre(p, R);
    return {m.x() - taille.width() / 2, m.y() - taille.height() / 2, taille.width(), taille.height()};
}

std::optional<Poignee> sous(QPointF point, const QRectF& R)
{
    const auto& p = poignees();
    for (auto it = p.rbegin(); it != p.rend(); ++it)
        if (zone(*it, R).contains(point))
            return *it;
    return std::nullopt;
}

double coteMinimum(QSizeF image) { return std::max(0.04 * std::min(image.width(), image.height()), 16.0); }

QRectF glisser(const QString& element, const QRectF& d, QPointF delta, QSizeF image, std::optional<double> r)
{
    const double W = image.width(), H = image.height();
    const double dx = delta.x(), dy = delta.y();
    if (element == QLatin1String("tout"))
        return {std::min(std::max(d.left() + dx, 0.0), W - d.width()),
                std::min(std::max(d.top() + dy, 0.0), H - d.height()), d.width(), d.height()};

    // A photo narrower than the minimum bounds it, and so does a frame a format has already
    // made narrower: a handle never pushes the frame out of the photo.
    const double mx = std::min({coteMinimum(image), W, d.width()});
    const double my = std::min({coteMinimum(image), H, d.height()});
    const bool g = element.contains(QLatin1Char('g')), dr = element.contains(QLatin1Char('d'));
    const bool h = element.contains(QLatin1Char('h')), b = element.contains(QLatin1Char('b'));
    double x0 = d.left(), y0 = d.top(), x1 = d.right(), y1 = d.bottom();
    if (g)
        x0 = std::min(std::max(d.left() + dx, 0.0), x1 - mx);
    if (dr)
        x1 = std::min(std::max(d.right() + dx, x0 + mx), W);
    if (h)
        y0 = std::min(std::max(d.top() + dy, 0.0), y1 - my);
    if (b)
        y1 = std::min(std::max(d.bottom() + dy, y0 + my), H);
    if (!r || *r <= 0)
        return {x0, y0, x1 - x0, y1 - y0};

    double w, hh;
    if (element == QLatin1String("h") || element == QLatin1String("b")) {
        hh = y1 - y0;
        w = hh * *r;
    } else {
        w = x1 - x0;
        hh = w / *r;
    }
    if (W < w) {
        w = W;
        hh = w / *r;
    }
    if (H < hh) {
        hh = H;
        w = hh * *r;
    }
    if (g)
        x0 = x1 - w;
    else
        x1 = x0 + w;
    if (h)
        y0 = y1 - hh;
    else
        y1 = y0 + hh;
    if (x0 < 0) {
        x0 = 0;
        x1 = w;
    }
    if (W < x1) {
        x1 = W;
        x0 = W - w;
    }
    if (y0 < 0) {
        y0 = 0;
        y1 = hh;
    }
    if (H < y1) {
        y1 = H;
        y0 = H - hh;
    }
    return {x0, y0, x1 - x0, y1 - y0};
}

QRect region(const QRectF& c, QSize image)
{
    if (image.isEmpty())
        return {};
    // A hair of arithmetic past a whole pixel does not take the next one.
    constexpr double marge = 1e-6;
    const auto cote = [](double debut, double fin, int borne) {
        const int a = std::clamp(static_cast<int>(std::floor(debut + marge)), 0, borne - 1);
        const int b = std::clamp(static_cast<int>(std::ceil(fin - marge)), a + 1, borne);
        return std::pair{a, b - a};
    };
    const auto [x, w] = cote(c.left(), c.right(), image.width());
    const auto [y, h] = cote(c.top(), c.bottom(), image.height());
    return QRect(x, y, w, h);
}

double echelle(QSizeF toile, QSizeF image)
{
    return std::min((toile.width() - 32) / image.width(), (toile.height() - 32) / image.height());
}

QPointF origine(QSizeF toile, QSizeF image, double s)
{
    return {(toile.width() - s * image.width()) / 2, (toile.height() - s * image.height()) / 2};
}

std::array<QLineF, 4> tiers(const QRectF& r)
{
    const double x0 = r.left(), y0 = r.top(), w = r.width(), h = r.height();
    return {QLineF(x0 + w / 3, y0, x0 + w / 3, y0 + h), QLineF(x0, y0 + h / 3, x0 + w, y0 + h / 3),
            QLineF(x0 + 2 * w / 3, y0, x0 + 2 * w / 3, y0 + h), QLineF(x0, y0 + 2 * h / 3, x0 + w, y0 + 2 * h / 3)};
}

} // namespace Cadre
