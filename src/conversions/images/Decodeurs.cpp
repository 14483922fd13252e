#include "conversions/images/Decodeurs.h"

#include "conversions/Chemins.h"
#include "conversions/Erreur.h"
#include "conversions/Journaux.h"

#include <QBuffer>
#include <QColorSpace>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <libraw.h>
#include <algorithm>
#include <cstring>
#include <memory>

using vips::VImage;

namespace Conversions {

namespace {

bool tailleAdmise(double largeur, double hauteur)
{
    return largeur > 0 && hauteur > 0 && largeur * hauteur <= pixelsAuPlus;
}

[[noreturn]] void refuser(const QString& chemin, const QString& raison)
{
    qCWarning(journalImages).noquote() << raison + QStringLiteral(" : ") + chemin;
    throw Erreur::lecture(nomDe(chemin));
}

// A copy of `octets` as a libvips image of `bandes` 8-bit sRGB bands.
VImage copie(const void* octets, size_t taille, int largeur, int hauteur, int bandes)
{
    vipsPret();
    VipsImage* brute = vips_image_new_from_memory_copy(octets, taille, largeur, hauteur, bandes, VIPS_FORMAT_UCHAR);
    if (!brute)
        throw vips::VError();
    VImage image(brute, vips::STEAL);
    return image.copy(VImage::option()->set("interpretation",
                                            bandes < 3 ? VIPS_INTERPRETATION_B_W : VIPS_INTERPRETATION_sRGB));
}

// The picture to read: the largest of a file holding several (an icon's sizes).
bool choisirLaPlusGrande(QImageReader& lecteur)
{
    int meilleure = -1;
    qint64 aire = -1;
    const int n = std::max(1, lecteur.imageCount());
    for (int i = 0; i < n; ++i) {
        if (n > 1 && !lecteur.jumpToImage(i))
            continue;
        const QSize s = lecteur.size();
        if (s.isValid() && qint64(s.width()) * s.height() > aire) {
            aire = qint64(s.width()) * s.height();
            meilleure = i;
        }
    }
    return meilleure >= 0 && (n == 1 || lecteur.jumpToImage(meilleure));
}

// Qt's TGA reader asks for the version 2 footer that most TGA files, written to the first
// version, lack: a copy in memory gets one.
std::unique_ptr<QIODevice> flux(const QString& chemin, const QByteArray& format)
{
    if (format != "tga")
        return std::make_unique<QFile>(chemin);
    // Qt reads no TGA beyond 8192 × 8192 pixels of 4 bytes: a larger file is not copied.
    constexpr qint64 octetsAuPlus = qint64(8192) * 8192 * 4 + (1 << 16);
    QFile f(chemin);
    if (f.size() > octetsAuPlus || !f.open(QIODevice::ReadOnly))
        return std::make_unique<QFile>(chemin);
    QByteArray octets = f.readAll();
    const QByteArray signature("TRUEVISION-XFILE.\0", 18);
    if (!octets.endsWith(signature))
        octets += QByteArray(8, '\0') + signature;
    auto tampon = std::make_unique<QBuffer>();
    tampon->setData(octets);
    return tampon;
}

// Qt gives some files an alpha channel that nothing uses (TGA always): drop it, so the
// picture is treated as the opaque one it is.
bool toutOpaque(const QImage& image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        const auto* ligne = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x)
            if (qAlpha(ligne[x]) != 255)
                return false;
    }
    return true;
}

struct LibererRaw {
    void operator()(libraw_data_t* r) const { libraw_close(r); }
};
struct LibererImageRaw {
    void operator()(libraw_processed_image_t* i) const { libraw_dcraw_clear_mem(i); }
};

} // namespace

VImage lireParQt(const QString& chemin)
{
    // Qt refuses pictures beyond its allocation limit: let ours decide instead.
    static const bool limite = [] {
        QImageReader::setAllocationLimit(static_cast<int>(pixelsAuPlus * 4 / (1 << 20)) + 1);
        return true;
    }();
    (void)limite;
    const QByteArray format = QFileInfo(chemin).suffix().toLower().toLatin1();
    const std::unique_ptr<QIODevice> source = flux(chemin, format);
    QImageReader lecteur(source.get(), format);
    lecteur.setAutoDetectImageFormat(false);
    if (!choisirLaPlusGrande(lecteur))
        refuser(chemin, QStringLiteral("Qt : ") + lecteur.errorString());
    const QSize taille = lecteur.size();
    if (!tailleAdmise(taille.width(), taille.height()))
        refuser(chemin, QStringLiteral("image refusée, %1 × %2 pixels").arg(taille.width()).arg(taille.height()));
    QImage image = lecteur.read();
    if (image.isNull())
        refuser(chemin, QStringLiteral("Qt : ") + lecteur.errorString());
    if (image.colorSpace().isValid() && image.colorSpace() != QColorSpace::SRgb)
        image.convertToColorSpace(QColorSpace::SRgb);
    const bool alpha = image.hasAlphaChannel() && !toutOpaque(image);
    image.convertTo(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    const int bandes = alpha ? 4 : 3;
    // Rows of the copy are packed: drop Qt's padding row by row.
    const size_t ligne = static_cast<size_t>(image.width()) * bandes;
    QByteArray octets(static_cast<qsizetype>(ligne * image.height()), Qt::Uninitialized);
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(octets.data() + y * ligne, image.constScanLine(y), ligne);
    return copie(octets.constData(), static_cast<size_t>(octets.size()), image.width(), image.height(), bandes);
}

VImage lireRaw(const QString& chemin)
{
    std::unique_ptr<libraw_data_t, LibererRaw> raw(libraw_init(0));
    if (!raw)
        refuser(chemin, QStringLiteral("libraw : pas de mémoire"));
    const auto verifier = [&](int code) {
        if (code != LIBRAW_SUCCESS)
            refuser(chemin, QStringLiteral("libraw : ") + QString::fromUtf8(libraw_strerror(code)));
    };
    verifier(libraw_open_file(raw.get(), local(chemin).constData()));
    const libraw_image_sizes_t& s = raw->sizes;
    if (!tailleAdmise(s.raw_width, s.raw_height) || !tailleAdmise(s.width, s.height))
        refuser(chemin, QStringLiteral("image refusée, %1 × %2 pixels").arg(s.raw_width).arg(s.raw_height));
    raw->params.use_camera_wb = 1;
    raw->params.output_color = 1;  // sRGB
    raw->params.output_bps = 8;
    verifier(libraw_unpack(raw.get()));
    verifier(libraw_dcraw_process(raw.get()));
    int code = LIBRAW_SUCCESS;
    std::unique_ptr<libraw_processed_image_t, LibererImageRaw> image(libraw_dcraw_make_mem_image(raw.get(), &code));
    verifier(code);
    if (!image || image->type != LIBRAW_IMAGE_BITMAP || image->bits != 8 || (image->colors != 3 && image->colors != 1)
        || static_cast<size_t>(image->data_size) != size_t(image->width) * image->height * image->colors)
        refuser(chemin, QStringLiteral("libraw : image inattendue"));
    return copie(image->data, image->data_size, image->width, image->height, image->colors);
}

} // namespace Conversions
