#include "fenetres/couper/modele/ImageDuLecteur.h"

#include <QVideoFrame>
#include <QVideoFrameFormat>
#include <algorithm>
#include <cmath>

namespace {

// The colour coefficients of a matrix: red from Cr, green from Cb and Cr, blue from Cb.
struct Matrice {
    double rv, gu, gv, bu;
};

Matrice matrice(QVideoFrameFormat::ColorSpace espace)
{
    if (espace == QVideoFrameFormat::ColorSpace_BT709)
        return {1.5748, -0.187324, -0.468124, 1.8556};
    if (espace == QVideoFrameFormat::ColorSpace_BT2020)
        return {1.4746, -0.164553, -0.571353, 1.8814};
    return {1.402, -0.344136, -0.714136, 1.772};  // BT.601, also when the file says nothing
}

// Planes of `largeur` × `hauteur`, each row `pas` bytes apart, in RGB; the colour planes hold
// one sample per pixel, or one per two side by side when `moitie` (4:2:2).
QImage convertir(const uchar* const plans[3], const int pas[3], int largeur, int hauteur, const Matrice& m, bool pleine,
                 bool moitie)
{
    QImage rgb(largeur, hauteur, QImage::Format_RGB32);
    const double ky = pleine ? 1.0 : 255.0 / 219, kc = pleine ? 1.0 : 255.0 / 224, y0 = pleine ? 0 : 16;
    const auto octet = [](double v) { return static_cast<int>(std::clamp(std::lround(v), 0L, 255L)); };
    for (int j = 0; j < hauteur; ++j) {
        const uchar* y = plans[0] + static_cast<qsizetype>(j) * pas[0];
        const uchar* u = plans[1] + static_cast<qsizetype>(j) * pas[1];
        const uchar* v = plans[2] + static_cast<qsizetype>(j) * pas[2];
        auto* ligne = reinterpret_cast<QRgb*>(rgb.scanLine(j));
        for (int i = 0; i < largeur; ++i) {
            const int c = moitie ? i / 2 : i;
            const double l = (y[i] - y0) * ky, cb = (u[c] - 128) * kc, cr = (v[c] - 128) * kc;
            ligne[i] = qRgb(octet(l + m.rv * cr), octet(l + m.gu * cb + m.gv * cr), octet(l + m.bu * cb));
        }
    }
    return rgb;
}

} // namespace

QImage imageDuLecteur(const QVideoFrame& image, bool yuv444)
{
    // Qt's own conversion of 4:2:2 frames, used when the desktop offers no OpenGL, writes
    // past its buffer: those are converted here too.
    const bool moitie = image.pixelFormat() == QVideoFrameFormat::Format_YUV422P;
    if (!moitie && (!yuv444 || image.pixelFormat() != QVideoFrameFormat::Format_YUV420P))
        return image.toImage();
    QVideoFrame f(image);
    if (!f.map(QVideoFrame::ReadOnly))
        return {};
    const int largeur = f.width(), hauteur = f.height();
    const int colonnes = moitie ? (largeur + 1) / 2 : largeur;
    QImage rgb;
    // Whole colour rows: the planes of a 4:4:4 picture are as tall as it, though the frame
    // maps only the half that 4:2:0 would have.
    if (f.planeCount() == 3 && f.bytesPerLine(1) >= colonnes && f.bytesPerLine(2) >= colonnes) {
        const uchar* const plans[3] = {f.bits(0), f.bits(1), f.bits(2)};
        const int pas[3] = {f.bytesPerLine(0), f.bytesPerLine(1), f.bytesPerLine(2)};
        const QVideoFrameFormat format = f.surfaceFormat();
        rgb = convertir(plans, pas, largeur, hauteur, matrice(format.colorSpace()),
                        format.colorRange() == QVideoFrameFormat::ColorRange_Full, moitie);
    }
    f.unmap();
    return rgb.isNull() && !moitie ? image.toImage() : rgb;
}
