#include "roue/Effets.h"

#include <QCache>
#include <QPainter>
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace Roue {

namespace {

// Box widths whose three passes approach a Gaussian of standard deviation s.
std::array<int, 3> boites(double s)
{
    constexpr int n = 3;
    const double ideal = std::sqrt(12 * s * s / n + 1);
    int bas = int(std::floor(ideal));
    if (bas % 2 == 0)
        --bas;
    const int haut = bas + 2;
    const int m = int(std::lround((12 * s * s - n * bas * bas - 4 * n * bas - 3 * n) / (-4.0 * bas - 4)));
    std::array<int, 3> b{};
    for (int i = 0; i < n; ++i)
        b[i] = std::max(1, i < m ? bas : haut);
    return b;
}

// One box pass over rows (pas = 1) or columns (pas = largeur) of a plane. Beyond the edges
// the plane is clear, or, with `etendre`, its edge values go on.
void passe(const std::vector<float>& de, std::vector<float>& vers, int lignes, int longueur,
           int pasLigne, int pas, int r, bool etendre = false)
{
    const float inv = 1.0f / float(2 * r + 1);
    for (int l = 0; l < lignes; ++l) {
        const float* s = de.data() + l * pasLigne;
        float* d = vers.data() + l * pasLigne;
        const auto lu = [&](int i) {
            if (i >= 0 && i < longueur)
                return s[i * pas];
            return etendre ? s[std::clamp(i, 0, longueur - 1) * pas] : 0.0f;
        };
        float somme = 0;
        for (int i = -r; i <= r; ++i)
            somme += lu(i);
        for (int i = 0; i < longueur; ++i) {
            d[i * pas] = somme * inv;
            somme += lu(i + r + 1) - lu(i - r);
        }
    }
}

// Three box passes in both directions over one plane.
void flouterPlan(std::vector<float>& plan, std::vector<float>& autre, int w, int h, double rayon, bool etendre)
{
    if (rayon <= 0.2)
        return;
    for (int b : boites(rayon)) {
        const int r = (b - 1) / 2;
        passe(plan, autre, h, w, w, 1, r, etendre);
        passe(autre, plan, w, h, 1, w, r, etendre);
    }
}

quint64 empreinte(const Effets::Flou& f, double resolution)
{
    size_t h = qHashMulti(0, f.trait, f.couleur.rgba(), f.rayon, resolution, f.forme.elementCount());
    for (int i = 0; i < f.forme.elementCount(); ++i) {
        const QPainterPath::Element e = f.forme.elementAt(i);
        h = qHashMulti(h, int(e.type), e.x, e.y);
    }
    if (f.masque) {
        h = qHashMulti(h, f.masque->start().x(), f.masque->start().y(), f.masque->finalStop().x(),
                       f.masque->finalStop().y());
        for (const auto& [position, couleur] : f.masque->stops())
            h = qHashMulti(h, position, couleur.rgba());
    }
    return h;
}

// The part of `cadre` where the gradient `masque` lets anything through, grown by `marge`:
// the rest need not be blurred at all.
QRectF zoneVisible(const QLinearGradient& masque, const QRectF& cadre, double marge)
{
    // The gradient is clear before the stop preceding the first visible one and after the
    // stop following the last visible one; padding carries the end stops on.
    const QGradientStops arrets = masque.stops();
    qsizetype premier = -1, dernier = -1;
    for (qsizetype i = 0; i < arrets.size(); ++i)
        if (arrets[i].second.alpha() > 0) {
            if (premier < 0)
                premier = i;
            dernier = i;
        }
    if (premier < 0 || masque.spread() != QGradient::PadSpread)
        return cadre;
    const bool ouvertAvant = premier == 0, ouvertApres = dernier == arrets.size() - 1;
    const double debut = ouvertAvant ? 0 : arrets[premier - 1].first;
    const double fin = ouvertApres ? 1 : arrets[dernier + 1].first;
    const QPointF a = masque.start(), axe = masque.finalStop() - masque.start();
    const double longueur = std::hypot(axe.x(), axe.y());
    if (longueur <= 0)
        return cadre;
    // The band between the two lines across the axis at `debut` and `fin` (padded ends open).
    const QPointF u = axe / longueur, n(-u.y(), u.x());
    const double loin = 4 * (cadre.width() + cadre.height() + longueur);
    const double t0 = ouvertAvant ? -loin : debut * longueur - marge;
    const double t1 = ouvertApres ? loin : fin * longueur + marge;
    QPolygonF bande;
    bande << a + u * t0 - n * loin << a + u * t1 - n * loin << a + u * t1 + n * loin << a + u * t0 + n * loin;
    QPainterPath zone;
    zone.addPolygon(bande);
    QPainterPath rect;
    rect.addRect(cadre);
    return zone.intersected(rect).boundingRect();
}

struct Image {
    QImage image;
    QPointF origine;  // logical position of the image's top-left corner
};

QCache<quint64, Image>& cache()
{
    // Counted in KiB: about 48 MiB of blurred pictures.
    static QCache<quint64, Image> c(48 * 1024);
    return c;
}

} // namespace

namespace Effets {

QImage flouter(const QImage& source, double rayon, const QColor& couleur)
{
    const QImage a = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int w = a.width(), h = a.height();
    std::vector<float> plan(size_t(w) * h), autre(size_t(w) * h);
    for (int y = 0; y < h; ++y) {
        const QRgb* ligne = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        for (int x = 0; x < w; ++x)
            plan[size_t(y) * w + x] = float(qAlpha(ligne[x]));
    }
    flouterPlan(plan, autre, w, h, rayon, false);
    QImage sortie(w, h, QImage::Format_ARGB32_Premultiplied);
    const float ca = float(couleur.alphaF());
    for (int y = 0; y < h; ++y) {
        QRgb* ligne = reinterpret_cast<QRgb*>(sortie.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const float alpha = std::clamp(plan[size_t(y) * w + x] * ca, 0.0f, 255.0f) / 255.0f;
            ligne[x] = qRgba(int(couleur.red() * alpha + 0.5f), int(couleur.green() * alpha + 0.5f),
                             int(couleur.blue() * alpha + 0.5f), int(alpha * 255 + 0.5f));
        }
    }
    sortie.setDevicePixelRatio(source.devicePixelRatio());
    return sortie;
}

QImage flouterCouleurs(const QImage& image, double rayon)
{
    const QImage a = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int w = a.width(), h = a.height();
    std::array<std::vector<float>, 4> plans;
    for (auto& plan : plans)
        plan.resize(size_t(w) * h);
    for (int y = 0; y < h; ++y) {
        const QRgb* ligne = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            const size_t i = size_t(y) * w + x;
            plans[0][i] = float(qAlpha(ligne[x]));
            plans[1][i] = float(qRed(ligne[x]));
            plans[2][i] = float(qGreen(ligne[x]));
            plans[3][i] = float(qBlue(ligne[x]));
        }
    }
    std::vector<float> autre(size_t(w) * h);
    for (auto& plan : plans)
        flouterPlan(plan, autre, w, h, rayon, true);
    QImage sortie(w, h, QImage::Format_ARGB32_Premultiplied);
    const auto octet = [](float v) { return int(std::clamp(v + 0.5f, 0.0f, 255.0f)); };
    for (int y = 0; y < h; ++y) {
        QRgb* ligne = reinterpret_cast<QRgb*>(sortie.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const size_t i = size_t(y) * w + x;
            const int alpha = octet(plans[0][i]);
            // Premultiplied: no channel above the alpha.
            ligne[x] = qRgba(std::min(octet(plans[1][i]), alpha), std::min(octet(plans[2][i]), alpha),
                             std::min(octet(plans[3][i]), alpha), alpha);
        }
    }
    sortie.setDevicePixelRatio(image.devicePixelRatio());
    return sortie;
}

void dessiner(QPainter& p, const Flou& f, QPointF decalage)
{
    // A wide blur hides detail: it is made at one pixel per point at most (half that for the
    // widest), which keeps shadows cheap on dense screens.
    const double dpr = p.device() ? p.device()->devicePixelRatioF() : 1;
    const double resolution = f.rayon >= 6 ? std::min(dpr, 0.5) : f.rayon >= 2 ? std::min(dpr, 1.0) : dpr;
    const quint64 cle = empreinte(f, resolution);
    // A copy: the cache may drop an entry as soon as another is put in.
    Image entree;
    if (const Image* garde = cache().object(cle)) {
        entree = *garde;
    } else {
        const double marge = 3 * f.rayon + f.trait / 2 + 2;
        QRectF cadre = f.forme.boundingRect().adjusted(-marge, -marge, marge, marge);
        if (f.masque)
            cadre = cadre.intersected(zoneVisible(*f.masque, cadre, marge));
        const QSize taille(int(std::ceil(cadre.width() * resolution)), int(std::ceil(cadre.height() * resolution)));
        QImage masque(taille, QImage::Format_ARGB32_Premultiplied);
        masque.fill(Qt::transparent);
        {
            QPainter m(&masque);
            m.setRenderHint(QPainter::Antialiasing);
            m.scale(resolution, resolution);
            m.translate(-cadre.topLeft());
            if (f.trait > 0)
                m.strokePath(f.forme, QPen(Qt::black, f.trait));
            else
                m.fillPath(f.forme, Qt::black);
        }
        QImage image = flouter(masque, f.rayon * resolution, f.couleur);
        if (f.masque) {
            QPainter m(&image);
            m.scale(resolution, resolution);
            m.translate(-cadre.topLeft());
            m.setCompositionMode(QPainter::CompositionMode_DestinationIn);
            // Past the last whole pixel too: an unmasked edge column would show when scaled.
            m.fillRect(cadre.adjusted(-2, -2, 2, 2), *f.masque);
        }
        image.setDevicePixelRatio(resolution);
        entree = Image{image, cadre.topLeft()};
        cache().insert(cle, new Image(entree), std::max<qsizetype>(1, image.sizeInBytes() / 1024));
    }
    const bool lisse = p.testRenderHint(QPainter::SmoothPixmapTransform);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    dessinerImage(p, entree.origine + decalage, entree.image);
    p.setRenderHint(QPainter::SmoothPixmapTransform, lisse);
}

void dessinerImage(QPainter& p, QPointF lieu, const QImage& image)
{
    p.drawImage(QRectF(lieu, QSizeF(image.size()) / image.devicePixelRatio()), image);
}

void copier(QPainter& p, QPointF lieu, const QImage& brute, double dpr)
{
    const double dprAppareil = p.device() ? p.device()->devicePixelRatioF() : 1;
    if (p.transform().type() > QTransform::TxTranslate || dpr != dprAppareil) {
        p.drawImage(QRectF(lieu, QSizeF(brute.size()) / dpr), brute);
        return;
    }
    const QPointF pixel = p.transform().map(lieu) * dpr;
    p.save();
    p.resetTransform();
    p.scale(1 / dpr, 1 / dpr);
    p.drawImage(QPoint(int(std::lround(pixel.x())), int(std::lround(pixel.y()))), brute);
    p.restore();
}

} // namespace Effets

} // namespace Roue
