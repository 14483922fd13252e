#include "conversions/images/Images.h"
#include "conversions/Chemins.h"

#include "conversions/sorties/FichierDeSortie.h"
#include "conversions/images/Heif.h"
#include "conversions/images/Png.h"
#include "conversions/travail/Reserve.h"
#include "conversions/sorties/Sortie.h"
#include "conversions/images/Vips.h"
#include "conversions/images/WebP.h"

#include <QColorSpace>
#include <QCoreApplication>
#include <QFileInfo>
#include <QHash>
#include <QPainter>
#include <algorithm>
#include <memory>
#include <libheif/heif.h>
#include <webp/encode.h>

using vips::VImage;
using vips::VError;

namespace Conversions {

namespace {

// EXIF holding nothing but an orientation: a big-endian TIFF header and one IFD entry.
QByteArray exifOrientation(int orientation)
{
    QByteArray exif("Exif\0\0MM\0*\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01", 24);
    exif.append('\0').append(static_cast<char>(orientation)).append(QByteArray(6, '\0'));
    return exif;
}

// Only the orientation and the colour profile travel to the new file: the rest of the
// source's metadata (camera, place, …) is not ours to copy.
VImage sansMetadonnees(const VImage& image)
{
    VImage copie = image.copy();
    char** champs = vips_image_get_fields(copie.get_image());
    for (char** c = champs; *c; ++c) {
        const QByteArray nom(*c);
        if (nom.startsWith("exif-") || nom == VIPS_META_XMP_NAME || nom == VIPS_META_IPTC_NAME
            || nom == VIPS_META_PHOTOSHOP_NAME)
            copie.remove(*c);
    }
    g_strfreev(champs);
    if (copie.get_typeof(VIPS_META_ORIENTATION) != 0) {
        const QByteArray exif = exifOrientation(orientation(copie));
        vips_image_set_blob_copy(copie.get_image(), VIPS_META_EXIF_NAME, exif.constData(),
                                 static_cast<size_t>(exif.size()));
    }
    return copie;
}

// libjpeg's optimised Huffman tables need every coefficient of the picture at once, two
// bytes a sample: past a 90-megapixel photo's, or when they do not fit, the picture is
// written in one pass, in strips, a few percent larger.
constexpr qint64 coefficientsAuPlus = qint64(512) << 20;

void ecrireJpeg(const VImage& image, const QString& chemin, int qualite, bool nu)
{
    const VImage pixels = surBlanc(image);
    const qint64 octetsDesCoefficients = 2 * static_cast<qint64>(pixels.width()) * pixels.height() * pixels.bands();
    const std::optional<Reserve> coefficients =
        octetsDesCoefficients <= coefficientsAuPlus ? Reserve::essayer(octetsDesCoefficients) : std::nullopt;
    pixels.jpegsave(local(chemin).constData(), VImage::option()
                                                   ->set("Q", qualite)
                                                   ->set("optimize_coding", coefficients.has_value())
                                                   ->set("strip", nu));
}

// What the writers that hold the whole picture take, in bytes per pixel, as measured on
// huge pictures (bench/grandes_images.cpp). libwebp holds its own planes (YUV and alpha,
// filled strip by strip); libheif gets its planes (3 or 4 bytes), converts them, and x265
// keeps its own copies and analyses. The other writers go in strips.
constexpr double octetsParPixelWebP = 3;
constexpr double octetsParPixelHeif = 16;

qint64 octets(int largeur, int hauteur, double parPixel)
{
    return static_cast<qint64>(parPixel * largeur * hauteur);
}

// Writes `image` in format `id` ("jpg", "png", "heic", "avif", "tiff").
void ecrireFormat(const VImage& image, const QString& id, const QString& chemin)
{
    if (id == QLatin1String("jpg"))
        ecrireJpeg(image, chemin, 90, false);
    else if (id == QLatin1String("png"))
        ecrirePng(image, chemin, false);
    else if (id == QLatin1String("heic"))
        ecrireHeif(image, chemin, 90, false, orientation(image));
    else if (id == QLatin1String("avif"))
        ecrireHeif(image, chemin, 90, true, orientation(image));
    else if (id == QLatin1String("tiff"))
        image.tiffsave(local(chemin).constData());
    else
        throw Erreur::ecriture(nomDe(chemin));
}

QString enWebP(const QString& source)
{
    // Sizes are checked before the pixels are decoded (a RAW's, once, from its header on).
    const VImage entete = ouvrirImage(source);
    // The format stores each side on 14 bits.
    if (std::max(entete.width(), entete.height()) > WEBP_MAX_DIMENSION)
        throw Erreur::rien(QCoreApplication::translate(
                               "Conversions", "« %1 » est trop grande pour WebP (16 383 pixels de côté au plus)")
                               .arg(nomDe(source)));
    const Reserve memoire(octets(entete.width(), entete.height(), octetsParPixelWebP), source);
    QByteArray donnees;
    sousVips(source, {}, [&] { donnees = webpParBandes(vignette(entete, source, std::nullopt), 82.0f); });
    Sortie sortie = Sortie::apres(source, {}, QStringLiteral("webp"));
    ecrireDans(sortie, donnees);
    return sortie.valider();
}

bool peutEcrire(const char* operation)
{
    return vips_type_find("VipsOperation", operation) != 0;
}

} // namespace

QString type(const QString& id)
{
    static const QHash<QString, QString> types = {
        {QStringLiteral("jpg"), QStringLiteral("public.jpeg")},
        {QStringLiteral("png"), QStringLiteral("public.png")},
        {QStringLiteral("heic"), QStringLiteral("public.heic")},
        {QStringLiteral("webp"), QStringLiteral("org.webmproject.webp")},
        {QStringLiteral("tiff"), QStringLiteral("public.tiff")},
    };
    if (id == QLatin1String("avif"))
        return ecriture().contains(QStringLiteral("public.avif")) ? QStringLiteral("public.avif") : QString();
    return types.value(id);
}

const QSet<QString>& ecriture()
{
    static const QSet<QString> types = [] {
        vipsPret();
        QSet<QString> t;
        if (peutEcrire("jpegsave"))
            t.insert(QStringLiteral("public.jpeg"));
        if (peutEcrire("pngsave"))
            t.insert(QStringLiteral("public.png"));
        if (peutEcrire("tiffsave"))
            t.insert(QStringLiteral("public.tiff"));
        if (peutEcrire("gifsave"))
            t.insert(QStringLiteral("com.compuserve.gif"));
        t.insert(QStringLiteral("org.webmproject.webp"));  // libwebp is linked in
        if (peutEcrire("heifsave") && heif_have_encoder_for_format(heif_compression_HEVC))
            t.insert(QStringLiteral("public.heic"));
        if (peutEcrire("heifsave") && heif_have_encoder_for_format(heif_compression_AV1))
            t.insert(QStringLiteral("public.avif"));
        return t;
    }();
    return types;
}

QImage redressee(const QString& chemin, std::optional<int> max)
{
    return redressee(ouvrirImage(chemin), chemin, max);
}

QImage redressee(const VImage& entete, const QString& chemin, std::optional<int> max)
{
    const VImage image = vignette(entete, chemin, max);
    QImage pixels;
    sousVips(chemin, {}, [&] { pixels = versQImage(image, !image.has_alpha()); });
    return pixels;
}

QImage aplatir(const QImage& image)
{
    if (image.isNull())
        throw Erreur::ecriture(QCoreApplication::translate("Conversions", "image"));
    QImage plat(image.size(), QImage::Format_RGBX8888);
    if (plat.isNull())
        throw Erreur::ecriture(QCoreApplication::translate("Conversions", "image"));
    if (image.colorSpace().isValid())
        plat.setColorSpace(image.colorSpace());
    plat.fill(Qt::white);
    QPainter peintre(&plat);
    peintre.setCompositionMode(QPainter::CompositionMode_SourceOver);
    peintre.drawImage(0, 0, image);
    peintre.end();
    return plat;
}

QString image(const QString& source, const QString& id)
{
    if (id == QLatin1String("webp"))
        return enWebP(source);  // decodes once, upright: a RAW costs seconds
    const VImage image = ouvrirImage(source);
    const bool heif = id == QLatin1String("heic") || id == QLatin1String("avif");
    const std::optional<Reserve> memoire =
        heif ? std::optional<Reserve>(std::in_place, octets(image.width(), image.height(), octetsParPixelHeif), source)
             : std::nullopt;
    Sortie sortie = Sortie::apres(source, {}, id);
    if (type(id).isEmpty())
        throw Erreur::ecriture(sortie.nom());
    sortie.remplir([&] {
        sousVips(source, sortie.chemin(), [&] { ecrireFormat(sansMetadonnees(image), id, sortie.temporaire()); });
    });
    return sortie.valider();
}

namespace {

// Three equal bands everywhere (a grey picture stored as RGB): one band, so the JPEG carries
// no colour planes.
VImage unSeulGris(const VImage& image)
{
    if (image.bands() != 3 || image.format() != VIPS_FORMAT_UCHAR)
        return image;
    const VImage r = image[0];
    if ((r == image[1]).min() < 255 || (r == image[2]).min() < 255)
        return image;
    return r.copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_B_W));
}

// The lossless PNG, replaced by a palette of at most 256 colours (libimagequant, quality 75)
// when that comes out smaller. Past effort 3 libimagequant spends six times as long on a
// photo of 1920 pixels for a tenth fewer bytes.
void ecrirePngLeger(const VImage& image, const QString& chemin)
{
    const VImage pixels = huitBits(image).copy_memory();  // read once for both encodings
    ecrirePng(pixels, chemin, true);
    VipsBlob* blob = pixels.pngsave_buffer(
        VImage::option()->set("palette", true)->set("Q", 75)->set("effort", 3)->set("strip", true));
    const std::unique_ptr<VipsBlob, void (*)(VipsBlob*)> palette(blob, [](VipsBlob* b) { vips_area_unref(VIPS_AREA(b)); });
    size_t taille = 0;
    const auto* octets = static_cast<const char*>(vips_blob_get(palette.get(), &taille));
    if (static_cast<qint64>(taille) >= QFileInfo(chemin).size())
        return;
    QFile f(chemin);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(octets, static_cast<qint64>(taille)) != static_cast<qint64>(taille)
        || !f.flush()) {
        vips_error("pngsave", "%s", "unable to write to target");
        throw VError();
    }
}

} // namespace

QString imageLegere(const QString& source)
{
    const VImage reduite = vignette(source, 1920);
    const bool alpha = reduite.has_alpha();
    Sortie sortie = Sortie::apres(source, QCoreApplication::translate("Conversions", " (légère)"),
                                  alpha ? QStringLiteral("png") : QStringLiteral("jpg"));
    sousVips(source, sortie.chemin(), [&] {
        if (alpha)
            ecrirePngLeger(reduite, sortie.temporaire());
        else
            ecrireJpeg(unSeulGris(huitBits(reduite).copy_memory()), sortie.temporaire(), 75, true);
    });
    // Written even when it comes out no smaller: a small picture is only re-encoded.
    return sortie.valider();
}

} // namespace Conversions
