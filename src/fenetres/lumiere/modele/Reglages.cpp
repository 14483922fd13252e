#include "fenetres/lumiere/modele/Reglages.h"

#include "conversions/Erreur.h"
#include "conversions/images/Vips.h"
#include "fenetres/retouches/Retouches.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <algorithm>
#include <array>
#include <cmath>
#include <thread>
#include <vector>

namespace Reglages {

namespace {

// Extended range after a saturation boost: indices −512 … 767 of the last table.
constexpr int decalage = 512;
constexpr int etendue = 1280;

int octet(double v) { return std::clamp(static_cast<int>(std::lround(v * 255)), 0, 255); }

// The tone curve of the automatic adjustment, for one channel value 0–255.
std::array<int, 256> courbeAuto(const Auto& a)
{
    std::array<int, 256> t{};
    const double ecart = std::max(a.blanc - a.noir, 1e-3);
    for (int i = 0; i < 256; ++i) {
        const double x = std::clamp((i / 255.0 - a.noir) / ecart, 0.0, 1.0);
        t[i] = octet(std::pow(x, a.gamma));
    }
    return t;
}

// Brightness then contrast, on an extended 0–255 value.
std::vector<uint8_t> courbeControles(const Controles& c)
{
    std::vector<uint8_t> t(etendue);
    for (int i = 0; i < etendue; ++i) {
        const double v = (i - decalage) / 255.0 + c.luminosite;
        t[i] = static_cast<uint8_t>(octet((v - 0.5) * c.contraste + 0.5));
    }
    return t;
}

// Runs `f(debut, fin)` over row ranges on several threads.
template <typename F>
void parLignes(int lignes, F f)
{
    const int coeurs = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
    const int n = std::clamp(lignes / 64, 1, coeurs);
    std::vector<std::thread> fils;
    for (int k = 1; k < n; ++k)
        fils.emplace_back(f, lignes * k / n, lignes * (k + 1) / n);
    f(0, lignes / n);
    for (std::thread& t : fils)
        t.join();
}

} // namespace

Filtre filtre(double lumiere, double contraste, double couleurs, const std::optional<Auto>& automatique)
{
    Filtre f;
    if (automatique)
        f.automatique = *automatique;
    f.controles = {lumiere * 0.4, 1 + contraste * 0.6, 1 + couleurs};
    return f;
}

Auto automatique(const QImage& source)
{
    if (source.isNull())
        return {};
    const QImage image = source.format() == QImage::Format_RGBX8888 || source.format() == QImage::Format_RGBA8888
                             ? source
                             : source.convertToFormat(QImage::Format_RGBA8888);
    return automatique(image.constBits(), image.width(), image.height(), image.bytesPerLine(), 4);
}

Auto automatique(const uchar* pixels, int largeur, int hauteur, qsizetype ligne, int octets)
{
    Auto a;
    // About 250 000 pixels are plenty for percentiles.
    const int pas = std::max(1, static_cast<int>(std::sqrt(double(largeur) * hauteur / 250000.0)));
    std::array<qint64, 256> histogramme{};
    double saturation = 0;
    qint64 n = 0;
    for (int y = 0; y < hauteur; y += pas) {
        const uchar* p = pixels + y * ligne;
        for (int x = 0; x < largeur; x += pas) {
            const uchar* q = p + octets * x;
            ++histogramme[(54 * q[0] + 183 * q[1] + 19 * q[2]) >> 8];
            saturation += (std::max({q[0], q[1], q[2]}) - std::min({q[0], q[1], q[2]})) / 255.0;
            ++n;
        }
    }
    const auto centile = [&](double part) {
        const qint64 seuil = static_cast<qint64>(part * n);
        qint64 cumul = 0;
        for (int i = 0; i < 256; ++i)
            if ((cumul += histogramme[i]) > seuil)
                return i / 255.0;
        return 1.0;
    };
    const double bas = centile(0.005), haut = centile(0.995), median = centile(0.5);

    // The stretch never moves the black point above 0.3 or the white point below 0.6:
    // a night scene stays a night scene.
    a.noir = std::clamp(bas - 0.01, 0.0, 0.3);
    a.blanc = std::clamp(haut + 0.01, 0.6, 1.0);
    // A median between 0.4 and 0.6 is left alone; beyond, the gamma brings it toward that
    // band, never by more than the bounds allow.
    const double m = std::clamp((median - a.noir) / (a.blanc - a.noir), 0.01, 0.99);
    const double cible = m < 0.4 ? 0.4 : m > 0.6 ? 0.6 : m;
    a.gamma = std::clamp(std::log(cible) / std::log(m), 0.5, 2.0);
    // Mild vibrance for dull pictures only.
    a.vibrance = std::clamp((0.3 - saturation / std::max<qint64>(n, 1)) * 0.8, 0.0, 0.2);
    return a;
}

QImage appliquer(const Filtre& f, const QImage& source)
{
    if (source.isNull())
        return source;
    const bool alpha = source.hasAlphaChannel();
    QImage image = source.convertToFormat(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGBX8888);
    // Our own copy of the pixels, made here: the threads below must not each detach it.
    if (image.isNull() || !image.bits())
        return source;

    const std::array<int, 256> ton = courbeAuto(f.automatique);
    const std::vector<uint8_t> fin = courbeControles(f.controles);
    // Saturation and vibrance in 1/256 steps.
    const int sat = static_cast<int>(std::lround(f.controles.saturation * 256));
    const int vib = static_cast<int>(std::lround(f.automatique.vibrance * 256));
    const int largeur = image.width();

    if (sat == 256 && vib == 0) {
        // No colour mix: one table per channel value.
        std::array<uint8_t, 256> direct{};
        for (int i = 0; i < 256; ++i)
            direct[i] = fin[ton[i] + decalage];
        parLignes(image.height(), [&](int debut, int fin_) {
            for (int y = debut; y < fin_; ++y) {
                uchar* q = image.scanLine(y);
                for (int x = 0; x < largeur; ++x, q += 4) {
                    q[0] = direct[q[0]];
                    q[1] = direct[q[1]];
                    q[2] = direct[q[2]];
                }
            }
        });
        return image;
    }
    parLignes(image.height(), [&](int debut, int fin_) {
        for (int y = debut; y < fin_; ++y) {
            uchar* q = image.scanLine(y);
            for (int x = 0; x < largeur; ++x, q += 4) {
                const int r = ton[q[0]], g = ton[q[1]], b = ton[q[2]];
                const int l = (54 * r + 183 * g + 19 * b) >> 8;
                int k = sat;
                if (vib) {
                    const int s = std::max({r, g, b}) - std::min({r, g, b});
                    k = (sat * (256 + (vib * (255 - s)) / 255)) >> 8;
                }
                const auto melange = [&](int c) {
                    return fin[std::clamp(l + (((c - l) * k) >> 8), -decalage, etendue - decalage - 1) + decalage];
                };
                q[0] = melange(r);
                q[1] = melange(g);
                q[2] = melange(b);
            }
        }
    });
    return image;
}

vips::VImage appliquer(const Filtre& f, const vips::VImage& image)
{
    using vips::VImage;
    const VImage couleurs = image.bands() > 3 ? image.extract_band(0, VImage::option()->set("n", 3)) : image;
    const std::array<int, 256> ton = courbeAuto(f.automatique);
    const std::vector<uint8_t> fin = courbeControles(f.controles);
    const auto table = [](const auto& valeurs) {
        std::vector<double> v(valeurs.begin(), valeurs.end());
        return VImage::new_matrix(256, 1, v.data(), 256).cast(VIPS_FORMAT_UCHAR);
    };
    const double sat = f.controles.saturation, vib = f.automatique.vibrance;
    VImage sortie;
    if (sat == 1 && vib == 0) {
        std::array<int, 256> direct{};
        for (int i = 0; i < 256; ++i)
            direct[i] = fin[ton[i] + decalage];
        sortie = couleurs.maplut(table(direct));
    } else {
        const VImage t = couleurs.maplut(table(ton));
        const double poids[3] = {54 / 256.0, 183 / 256.0, 19 / 256.0};
        VImage melange;
        if (vib == 0) {
            // One saturation for every pixel: c' = k c + (1 − k) luma, a single 3 × 3 matrix.
            std::vector<double> m(9);
            for (int i = 0; i < 3; ++i)
                for (int j = 0; j < 3; ++j)
                    m[i * 3 + j] = (i == j ? sat : 0) + (1 - sat) * poids[j];
            melange = t.recomb(VImage::new_matrix(3, 3, m.data(), 9));
        } else {
            const VImage f = t.cast(VIPS_FORMAT_FLOAT);
            std::vector<double> w(poids, poids + 3);
            const VImage l = f.recomb(VImage::new_matrix(3, 1, w.data(), 3));
            const std::vector<VImage> canaux{f.extract_band(0), f.extract_band(1), f.extract_band(2)};
            const VImage ecart = VImage::bandrank(canaux, VImage::option()->set("index", 2))
                                 - VImage::bandrank(canaux, VImage::option()->set("index", 0));
            const VImage k = (1 + vib * (255 - ecart) / 255) * sat;
            melange = l + (f - l) * k;
        }
        // Brightness, then contrast around mid-grey, rounded and clipped to 0–255.
        const double c = f.controles.contraste;
        sortie = melange.linear(c, 255 * ((f.controles.luminosite - 0.5) * c + 0.5) + 0.5)
                     .cast(VIPS_FORMAT_UCHAR);
    }
    sortie = sortie.copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
    return image.bands() > 3 ? sortie.bandjoin(image.extract_band(3)) : sortie;
}

QString enregistrer(const QString& source, double lumiere, double contraste, double couleurs, bool automatique,
                    const QString& mot)
{
    using vips::VImage;
    VImage photo = Conversions::rgba(Conversions::vignette(source, std::nullopt));
    std::optional<Auto> reglage;
    if (automatique) {
        // Read once into memory: the adjustment looks at every pixel before the filter runs.
        Conversions::sousVips(source, {}, [&] { photo = photo.copy_memory(); });
        const auto* pixels = static_cast<const uchar*>(vips_image_get_data(photo.get_image()));
        if (!pixels)
            throw Conversions::Erreur::lecture(QFileInfo(source).fileName());
        reglage = Reglages::automatique(pixels, photo.width(), photo.height(), qsizetype(photo.width()) * 4, 4);
    }
    return Retouches::enregistrer(appliquer(filtre(lumiere, contraste, couleurs, reglage), photo), source, mot);
}

QString affichage(double valeur) { return QString::number(std::llround(valeur * 100)); }

QString pastille(double lumiere, double contraste, double couleurs, bool automatique)
{
    return !automatique && lumiere == 0 && contraste == 0 && couleurs == 0
               ? QCoreApplication::translate("VueLumiere", "d'origine")
               : QCoreApplication::translate("VueLumiere", "retouchée");
}

} // namespace Reglages
