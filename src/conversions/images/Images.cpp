#include "conversions/images/Images.h"
#include "conversions/Chemins.h"

#include "conversions/images/Heif.h"
#include "conversions/images/Png.h"
#include "conversions/Reserve.h"
#include "conversions/Sortie.h"
#include "conversions/images/Vips.h"
#include "conversions/Journaux.h"

#include <QColorSpace>
#include <QCoreApplication>
#include <QFileInfo>
#include <QHash>
#include <QPainter>
#include <libheif/heif.h>

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

int orientationDe(const VImage& image)
{
    return image.get_typeof(VIPS_META_ORIENTATION) != 0 ? image.get_int(VIPS_META_ORIENTATION) : 1;
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
        const QByteArray exif = exifOrientation(orientationDe(copie));
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
// huge pictures (bench/grandes_images.cpp). libwebp gets it decoded (4 bytes) and makes its
// own planes; libheif gets its planes (3 or 4 bytes), converts them, and x265 keeps its own
// copies and analyses. The other writers go in strips.
constexpr double octetsParPixelWebP = 7;
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
        ecrireHeif(image, chemin, 90, false, orientationDe(image));
    else if (id == QLatin1String("avif"))
        ecrireHeif(image, chemin, 90, true, orientationDe(image));
    else if (id == QLatin1String("tiff"))
        image.tiffsave(local(chemin).constData());
    else
        throw Erreur::ecriture(nomDe(chemin));
}

QString enWebP(const QString& source)
{
    const QImage image = redressee(source);
    // Set aside once decoded: a RAW's header alone costs a whole decoding.
    const Reserve memoire(octets(image.width(), image.height(), octetsParPixelWebP), source);
    const QByteArray donnees = webp(image, 82.0f);
    Sortie sortie = Sortie::apres(source, {}, QStringLiteral("webp"));
    QFile f(sortie.temporaire());
    if (!f.open(QIODevice::WriteOnly) || f.write(donnees) != donnees.size() || !f.flush())
        throw Erreur::ecriture(sortie.nom());
    f.close();
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
    const VImage image = vignette(chemin, max);
    try {
        return versQImage(image, !image.has_alpha());
    } catch (const VError& e) {
        echecVips(e, chemin, {});
    }
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
    sousVips(source, sortie.chemin(),
             [&] { ecrireFormat(sansMetadonnees(image), id, sortie.temporaire()); });
    return sortie.valider();
}

namespace {

int nombreDImages(const VImage& image)
{
    return image.get_typeof(VIPS_META_N_PAGES) != 0 ? image.get_int(VIPS_META_N_PAGES) : 1;
}

// An animated GIF stays one: every frame reduced alike, re-quantised, with its delays and
// its loop count.
QString gifLeger(const QString& source, const VImage& premiere)
{
    const double pixels = static_cast<double>(premiere.width()) * premiere.height() * nombreDImages(premiere);
    // Every frame gets decoded: a long animation costs what a large picture does.
    if (pixels > 4 * pixelsAuPlus) {
        qCWarning(journalImages).noquote()
            << QStringLiteral("GIF refusé, %1 images de %2 × %3 pixels : %4")
                   .arg(nombreDImages(premiere)).arg(premiere.width()).arg(premiere.height()).arg(source);
        throw Erreur::lecture(nomDe(source));
    }
    Sortie sortie = Sortie::apres(source, QCoreApplication::translate("Conversions", " (légère)"),
                                  QStringLiteral("gif"));
    sousVips(source, sortie.chemin(), [&] {
        // The loader's options follow the name: every frame, not the first alone.
        const QByteArray toutes = local(source) + "[n=-1]";
        const VImage reduite = VImage::thumbnail(toutes.constData(), 1920,
                                                 VImage::option()
                                                     ->set("height", 1920)
                                                     ->set("size", VIPS_SIZE_DOWN)
                                                     ->set("fail_on", VIPS_FAIL_ON_TRUNCATED));
        reduite.gifsave(local(sortie.temporaire()).constData(),
                        VImage::option()->set("reoptimise", true)->set("strip", true));
    });
    return sortie.valider();
}

} // namespace

QString imageLegere(const QString& source)
{
    if (QFileInfo(source).suffix().compare(QLatin1String("gif"), Qt::CaseInsensitive) == 0) {
        const VImage premiere = ouvrirImage(source);
        if (nombreDImages(premiere) > 1)
            return gifLeger(source, premiere);
    }
    const VImage reduite = vignette(source, 1920);
    const bool alpha = reduite.has_alpha();
    Sortie sortie = Sortie::apres(source, QCoreApplication::translate("Conversions", " (légère)"),
                                  alpha ? QStringLiteral("png") : QStringLiteral("jpg"));
    sousVips(source, sortie.chemin(), [&] {
        if (alpha)
            ecrirePng(huitBits(reduite), sortie.temporaire(), true);
        else
            ecrireJpeg(reduite, sortie.temporaire(), 75, true);
    });
    // Written even when it comes out no smaller: a small picture is only re-encoded.
    return sortie.valider();
}

} // namespace Conversions
