#include "fenetres/masquer/modele/Masquage.h"

#include "conversions/Erreur.h"
#include "conversions/Journaux.h"
#include "conversions/images/LignesLues.h"
#include "conversions/images/OpenCV.h"
#include "fenetres/masquer/modele/Sensibles.h"

#include <QCoreApplication>
#include <QThreadPool>
#include <latch>
#include <cmath>
#include <cstring>

namespace Retouches {

namespace {

// The recogniser reads a photo of at most this many pixels on its long side: text large
// enough to see in a photo stays readable, and a huge photo costs no more than a big one.
constexpr int coteLu = 3000;

// The photo as the recogniser reads it: grey, reduced when large. `f` receives the factor.
QImage pourLire(const QImage& photo, double& f)
{
    // Both layouts the loader gives are read as they are: no copy of a huge photo.
    const bool rgba8888 = photo.format() == QImage::Format_RGBX8888 || photo.format() == QImage::Format_RGBA8888;
    const QImage rgba = rgba8888 ? photo : photo.convertToFormat(QImage::Format_RGBA8888);
    const cv::Mat m(rgba.height(), rgba.width(), CV_8UC4, const_cast<uchar*>(rgba.constBits()),
                    static_cast<size_t>(rgba.bytesPerLine()));
    f = std::min(1.0, double(coteLu) / std::max(photo.width(), photo.height()));
    cv::Mat petit;
    if (f < 1)
        cv::resize(m, petit, cv::Size(), f, f, cv::INTER_AREA);
    else
        petit = m;
    QImage gris(petit.cols, petit.rows, QImage::Format_Grayscale8);
    cv::Mat g(gris.height(), gris.width(), CV_8UC1, gris.bits(), static_cast<size_t>(gris.bytesPerLine()));
    cv::cvtColor(petit, g, cv::COLOR_RGBA2GRAY);
    return gris;
}

// Reading a page takes seconds: a tall picture is read in bands of rows at once, each by the
// recogniser of a thread of its own. A band overlaps its neighbours by more than a line of
// text and keeps only the lines whose middle falls in its own rows.
QList<Conversions::LigneLue> lireEnBandes(const QImage& gris)
{
    const int H = gris.height();
    const int n = std::clamp(H / 700, 1, 4);
    if (n == 1)
        return Conversions::lireLignes(gris);
    // The recognisers stay with their threads between photos (starting one costs 0.3 s).
    static QThreadPool lecteurs;
    lecteurs.setMaxThreadCount(4);
    lecteurs.setExpiryTimeout(1000);  // idle readers leave soon: a closed window keeps nothing
    const int recouvrement = std::max(H / 12, 150);
    std::vector<QList<Conversions::LigneLue>> bandes(static_cast<size_t>(n));
    std::vector<std::exception_ptr> echecs(static_cast<size_t>(n));
    std::latch finies(n);
    for (int i = 0; i < n; ++i) {
        const int y0 = H * i / n, y1 = H * (i + 1) / n;
        const int haut = std::max(0, y0 - recouvrement), bas = std::min(H, y1 + recouvrement);
        lecteurs.start([&, i, y0, y1, haut, bas] {
            try {
                for (Conversions::LigneLue& l : Conversions::lireLignes(gris.copy(0, haut, gris.width(), bas - haut))) {
                    const QRect u = Sensibles::boite(l.boites, 0, l.boites.size());
                    const int milieu = haut + u.center().y();
                    if (u.isNull() || milieu < y0 || milieu >= y1)
                        continue;
                    for (QRect& r : l.boites)
                        if (!r.isNull())
                            r.translate(0, haut);
                    bandes[size_t(i)].append(std::move(l));
                }
            } catch (...) {
                echecs[size_t(i)] = std::current_exception();
            }
            finies.count_down();
        });
    }
    finies.wait();
    QList<Conversions::LigneLue> lignes;
    for (int i = 0; i < n; ++i) {
        if (echecs[size_t(i)])
            std::rethrow_exception(echecs[size_t(i)]);
        lignes += bandes[size_t(i)];
    }
    return lignes;
}

// A view of a QImage of 4 bytes per pixel.
cv::Mat vue(QImage& image)
{
    return cv::Mat(image.height(), image.width(), CV_8UC4, image.bits(), static_cast<size_t>(image.bytesPerLine()));
}

QImage::Format format(const QImage& photo)
{
    return photo.hasAlphaChannel() ? QImage::Format_RGBA8888 : QImage::Format_RGBX8888;
}

} // namespace

QList<QRectF> infosSensibles(const QImage& photo)
{
    QList<QRectF> zones;
    if (photo.isNull())
        return zones;
    try {
        double f = 1;
        const QList<Conversions::LigneLue> lignes = lireEnBandes(pourLire(photo, f));
        const double g = Sensibles::marge(photo.size());
        for (const Conversions::LigneLue& ligne : lignes) {
            for (const auto& [debut, fin] : Sensibles::trouver(ligne.texte)) {
                const QRect b = Sensibles::boite(ligne.boites, debut, fin);
                if (b.isEmpty())
                    continue;
                const QRectF z(b.x() / f, b.y() / f, b.width() / f, b.height() / f);
                zones.append(z.adjusted(-g, -g, g, g));
            }
        }
    } catch (const std::exception& e) {
        // Reading is a help, not a promise: the user marks zones by hand.
        qCWarning(Conversions::journalImages).noquote()
            << QStringLiteral("tesseract : lecture des infos sensibles : ") + Conversions::description(e);
        zones.clear();
    }
    return zones;
}

QImage flouter(const QImage& photo)
{
    if (photo.isNull())
        return {};
    try {
        QImage source = photo.convertToFormat(format(photo));
        const int W = source.width(), H = source.height();
        const double s = Sensibles::flou(source.size());
        const double cellule = s * 0.8;
        // Pixellate: one mean per cell. Blurring the pixellated photo at full size would cost
        // a kernel of 6 s per pixel; the same blur is made on a grid of 4 samples per cell,
        // where the cells are exact, and brought to full size by interpolation, which the
        // blur has made smooth.
        const int nx = std::max(1, int(std::ceil(W / cellule))), ny = std::max(1, int(std::ceil(H / cellule)));
        cv::Mat petit, grille;
        cv::resize(vue(source), petit, cv::Size(nx, ny), 0, 0, cv::INTER_AREA);
        constexpr int pas = 4;
        cv::resize(petit, grille, cv::Size(nx * pas, ny * pas), 0, 0, cv::INTER_NEAREST);
        cv::GaussianBlur(grille, grille, cv::Size(), s * pas * nx / W, s * pas * ny / H, cv::BORDER_REPLICATE);
        QImage flou(W, H, source.format());
        if (flou.isNull())
            return {};
        cv::Mat sortie = vue(flou);
        cv::resize(grille, sortie, sortie.size(), 0, 0, cv::INTER_LINEAR);
        // A copy that changes nothing would hide nothing.
        return flou == source ? QImage() : flou;
    } catch (const std::exception& e) {
        qCWarning(Conversions::journalImages).noquote() << QStringLiteral("opencv : flou : ") + QString::fromUtf8(e.what());
        return {};
    }
}

QImage masquer(const QImage& photo, const QImage& flou, const QList<QRectF>& zones)
{
    const QString image = QCoreApplication::translate("Conversions", "image");
    if (photo.isNull())
        throw Conversions::Erreur::ecriture(image);
    if (flou.isNull() || flou.size() != photo.size() || flou.cacheKey() == photo.cacheKey())
        throw Conversions::Erreur::rien(QCoreApplication::translate(
            "Conversions", "La photo n’a pas pu être floutée : rien n’y serait masqué"));
    const QImage::Format f = format(photo);
    QImage resultat = photo.format() == f ? photo.copy() : photo.convertToFormat(f);
    const QImage source = flou.convertToFormat(f);
    if (resultat.isNull() || source.isNull())
        throw Conversions::Erreur::ecriture(image);
    const QRect tout = resultat.rect();
    for (const QRectF& zone : zones) {
        const QRect r = zone.toAlignedRect() & tout;
        for (int y = r.top(); y <= r.bottom() && !r.isEmpty(); ++y)
            std::memcpy(resultat.scanLine(y) + 4 * r.left(), source.constScanLine(y) + 4 * r.left(),
                        static_cast<size_t>(4 * r.width()));
    }
    return resultat;
}

} // namespace Retouches
