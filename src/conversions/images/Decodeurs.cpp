#include "conversions/images/Decodeurs.h"
#include "conversions/images/Decodage.h"

#include "conversions/Chemins.h"
#include "conversions/images/BmpChamps.h"
#include "conversions/images/BmpOs2.h"
#include "conversions/images/IcoMasque.h"
#include "conversions/images/TgaAlpha.h"
#include "conversions/images/TgaGris.h"
#include "conversions/images/TgaPalette.h"
#include "conversions/Erreur.h"
#include "conversions/Journaux.h"
#include "plateforme/media/Av.h"

#include <QBuffer>
#include <QColorSpace>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <libraw.h>
#include <tiffio.h>
extern "C" {
#include <libavutil/pixdesc.h>
}
#include <QtEndian>
#include <algorithm>
#include <cstdarg>
#include <climits>
#include <cstring>
#include <memory>
#include <optional>

using vips::VImage;

namespace Conversions {

bool tailleAdmise(double largeur, double hauteur)
{
    return largeur > 0 && hauteur > 0 && largeur * hauteur <= pixelsAuPlus;
}

void refuser(const QString& chemin, const QString& raison)
{
    qCWarning(journalImages).noquote() << raison + QStringLiteral(" : ") + chemin;
    throw Erreur::lecture(nomDe(chemin));
}

namespace {

VipsInterpretation interpretationDe(int bandes)
{
    return bandes < 3 ? VIPS_INTERPRETATION_B_W : VIPS_INTERPRETATION_sRGB;
}

} // namespace

void refuserTropGrand(const QString& chemin, const QString& raison)
{
    qCWarning(journalImages).noquote() << raison + QStringLiteral(" : ") + chemin;
    throw Erreur::rien(QCoreApplication::translate("Conversions", "« %1 » est trop grand").arg(nomDe(chemin)));
}

VImage copie(const void* octets, size_t taille, int largeur, int hauteur, int bandes)
{
    vipsPret();
    VipsImage* brute = vips_image_new_from_memory_copy(octets, taille, largeur, hauteur, bandes, VIPS_FORMAT_UCHAR);
    if (!brute)
        throw vips::VError();
    VImage image(brute, vips::STEAL);
    VImage marquee = image.copy(VImage::option()->set("interpretation", interpretationDe(bandes)));
    marquee.set(champEnMemoire, 1);
    return marquee;
}

VImage aRemplir(int largeur, int hauteur, int bandes, VipsBandFormat format)
{
    vipsPret();
    VImage image(vips_image_new_memory(), vips::STEAL);
    vips_image_init_fields(image.get_image(), largeur, hauteur, bandes, format, VIPS_CODING_NONE,
                           interpretationDe(bandes), 1.0, 1.0);
    if (vips_image_write_prepare(image.get_image()) != 0) {
        vips_error_clear();
        throw std::bad_alloc();
    }
    image.set(champEnMemoire, 1);
    return image;
}

namespace {

// `lire` given the file's bytes, mapped for the time of the call; an empty view when they
// cannot be.
template <typename F>
auto surLesOctets(const QString& chemin, F&& lire)
{
    QFile f(chemin);
    const uchar* octets = f.open(QIODevice::ReadOnly) && f.size() > 0 ? f.map(0, f.size()) : nullptr;
    return lire(octets ? QByteArrayView(octets, f.size()) : QByteArrayView());
}

// The picture to read: the largest of a file holding several (an icon's sizes); its number.
std::optional<int> choisirLaPlusGrande(QImageReader& lecteur)
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
    if (meilleure < 0 || (n > 1 && !lecteur.jumpToImage(meilleure)))
        return std::nullopt;
    return meilleure;
}

std::unique_ptr<QIODevice> dansUnTampon(QByteArray octets)
{
    auto tampon = std::make_unique<QBuffer>();
    tampon->setData(std::move(octets));
    return tampon;
}

// Qt's TGA reader asks for the version 2 footer that most TGA files, written to the first
// version, lack: a copy in memory gets one. An OS/2 BMP whose header Qt does not read gets
// a Windows one.
std::unique_ptr<QIODevice> flux(const QString& chemin, const QByteArray& format)
{
    if (format == "bmp")
        if (std::optional<QByteArray> complete = surLesOctets(chemin, bmpAEnteteComplete))
            return dansUnTampon(std::move(*complete));
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
    return dansUnTampon(std::move(octets));
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

// The pixels as a libvips image of 3 bands, or 4 when `alpha` may hold and a pixel uses it.
VImage depuisPixels(QImage image, bool alpha)
{
    alpha = alpha && !toutOpaque(image);
    image.convertTo(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    const int bandes = alpha ? 4 : 3;
    // Rows of the copy are packed: drop Qt's padding row by row.
    const size_t ligne = static_cast<size_t>(image.width()) * bandes;
    QByteArray octets(static_cast<qsizetype>(ligne * image.height()), Qt::Uninitialized);
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(octets.data() + y * ligne, image.constScanLine(y), ligne);
    return copie(octets.constData(), static_cast<size_t>(octets.size()), image.width(), image.height(), bandes);
}

QString texteAv(int code)
{
    char texte[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, texte, sizeof texte);
    return QStringLiteral("libav : ") + QString::fromUtf8(texte);
}

AVCodecID codecDImage(const QString& chemin)
{
    const QString e = QFileInfo(chemin).suffix().toLower();
    if (e == QLatin1String("tga"))
        return AV_CODEC_ID_TARGA;
    if (e == QLatin1String("bmp"))
        return AV_CODEC_ID_BMP;
    if (e == QLatin1String("tif") || e == QLatin1String("tiff"))
        return AV_CODEC_ID_TIFF;
    return AV_CODEC_ID_NONE;
}

// The compression of a TIFF's first picture (tag 259), 0 when the header does not say.
int compressionTiff(const uint8_t* octets, size_t taille)
{
    if (taille < 8 || !((octets[0] == 'I' && octets[1] == 'I') || (octets[0] == 'M' && octets[1] == 'M')))
        return 0;
    const bool petit = octets[0] == 'I';
    auto lire = [&](size_t a, int n) -> uint32_t {
        uint32_t v = 0;
        for (int k = 0; k < n; ++k)
            v |= uint32_t(octets[a + size_t(k)]) << (8 * (petit ? k : n - 1 - k));
        return v;
    };
    const size_t ifd = lire(4, 4);
    if (ifd > taille - 2)
        return 0;
    const size_t n = lire(ifd, 2);
    for (size_t i = 0; i < n && ifd + 2 + 12 * (i + 1) <= taille; ++i) {
        const size_t entree = ifd + 2 + 12 * i;
        if (lire(entree, 2) == 259)
            return static_cast<int>(lire(entree + 8, lire(entree + 2, 2) == 3 ? 2 : 4));
    }
    return 0;
}

// The one picture of a file, decoded by libav: the whole file is one packet.
Media::Image decoderAv(const QString& chemin, AVCodecID id)
{
    const AVCodec* codec = avcodec_find_decoder(id);
    Media::Codec contexte(codec ? avcodec_alloc_context3(codec) : nullptr);
    if (!contexte)
        refuser(chemin, QStringLiteral("libav : pas de décodeur"));
    contexte->max_pixels = static_cast<int64_t>(pixelsAuPlus);  // the size guard, before any allocation
    contexte->thread_count = 1;
    if (const int code = avcodec_open2(contexte.get(), codec, nullptr); code < 0)
        refuser(chemin, texteAv(code));
    QFile f(chemin);
    // An uncompressed picture of the largest size we take, and its headers.
    constexpr qint64 octetsAuPlus = static_cast<qint64>(pixelsAuPlus * 4) + (qint64(1) << 20);
    if (!f.open(QIODevice::ReadOnly) || f.size() > octetsAuPlus || f.size() > INT_MAX - AV_INPUT_BUFFER_PADDING_SIZE)
        refuser(chemin, QStringLiteral("libav : fichier illisible ou trop grand"));
    Media::Paquet paquet = Media::nouveauPaquet();
    if (av_new_packet(paquet.get(), static_cast<int>(f.size())) < 0)
        throw std::bad_alloc();
    if (f.read(reinterpret_cast<char*>(paquet->data), f.size()) != f.size())
        refuser(chemin, QStringLiteral("libav : lecture incomplète"));
    // libav takes old-style JPEG strips for raw pixels: a wrong picture is worse than none.
    if (id == AV_CODEC_ID_TIFF && compressionTiff(paquet->data, static_cast<size_t>(paquet->size)) == 6)
        refuser(chemin, QStringLiteral("libav : TIFF en JPEG ancien, non décodé"));
    if (id == AV_CODEC_ID_TARGA && tgaSansPalette(QByteArrayView(paquet->data, paquet->size)))
        refuser(chemin, QStringLiteral("TGA à couleurs indexées sans sa palette"));
    Media::Image image = Media::nouvelleImage();
    int code = avcodec_send_packet(contexte.get(), paquet.get());
    if (code >= 0)
        code = avcodec_send_packet(contexte.get(), nullptr);
    if (code >= 0)
        code = avcodec_receive_frame(contexte.get(), image.get());
    if (code < 0)
        refuser(chemin, texteAv(code));
    if (!tailleAdmise(image->width, image->height))
        refuser(chemin, QStringLiteral("image refusée, %1 × %2 pixels").arg(image->width).arg(image->height));
    return image;
}

bool peutAvoirAlpha(AVPixelFormat format)
{
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(format);
    return d && (d->flags & (AV_PIX_FMT_FLAG_ALPHA | AV_PIX_FMT_FLAG_PAL));
}

// Qt scales bit fields wider than 8 bits to nothing and the narrower ones short of white
// (5 bits give 248): those BMPs are read here. Empty when the file is another kind of BMP.
std::optional<VImage> lireBmpAChamps(const QString& chemin)
{
    return surLesOctets(chemin, [&](QByteArrayView vue) -> std::optional<VImage> {
        if (!bmpAChamps(vue))
            return std::nullopt;
        const QImage image = decoderBmpAChamps(vue, pixelsAuPlus);
        if (image.isNull())
            refuser(chemin, QStringLiteral("BMP à champs de bits illisible ou trop grand"));
        return depuisPixels(image, image.hasAlphaChannel());
    });
}

// libtiff's complaints go to the log; its warnings (every old-style JPEG file draws one) do not.
int erreurTiff(TIFF*, void* chemin, const char* module, const char* format, va_list arguments)
{
    qCWarning(journalImages).noquote() << QStringLiteral("libtiff : %1 : %2 : %3")
                                              .arg(QString::fromUtf8(module), QString::vasprintf(format, arguments),
                                                   *static_cast<const QString*>(chemin));
    return 1;
}

int avertissementTiff(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct LibererOptionsTiff {
    void operator()(TIFFOpenOptions* o) const { TIFFOpenOptionsFree(o); }
};

struct LibererRaw {
    void operator()(libraw_data_t* r) const { libraw_close(r); }
};
struct LibererImageRaw {
    void operator()(libraw_processed_image_t* i) const { libraw_dcraw_clear_mem(i); }
};

struct ErreursRaw {
    const QString& chemin;
    int nombre;
};

void erreurRaw(void* donnees, const char*, int position)
{
    auto& erreurs = *static_cast<ErreursRaw*>(donnees);
    ++erreurs.nombre;
    qCWarning(journalImages).noquote()
        << (position < 0 ? QStringLiteral("libraw : fin de fichier inattendue : %1").arg(erreurs.chemin)
                         : QStringLiteral("libraw : données abîmées près de l’octet %1 : %2").arg(position).arg(erreurs.chemin));
}

// Whether the decoder put a value into the sensor's data: libraw decodes data that is not
// where the file says (cut away, or never written) into zeros without a word.
bool capteurLu(const libraw_data_t& raw)
{
    const libraw_rawdata_t& d = raw.rawdata;
    const size_t pixels = size_t(raw.sizes.raw_width) * raw.sizes.raw_height;
    // Each kind of buffer libraw may keep, and its bytes a pixel.
    const std::pair<const void*, size_t> tampons[] = {
        {d.raw_image, sizeof(ushort)}, {d.color3_image, 3 * sizeof(ushort)}, {d.color4_image, 4 * sizeof(ushort)},
        {d.float_image, sizeof(float)}, {d.float3_image, 3 * sizeof(float)}, {d.float4_image, 4 * sizeof(float)}};
    for (const auto& [debut, parPixel] : tampons)
        if (debut) {
            const auto* o = static_cast<const unsigned char*>(debut);
            return std::any_of(o, o + pixels * parPixel, [](unsigned char c) { return c != 0; });
        }
    return true;  // nothing kept to judge
}

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
    if (format == "bmp")
        if (std::optional<VImage> champs = lireBmpAChamps(chemin))
            return *champs;
    const std::unique_ptr<QIODevice> source = flux(chemin, format);
    QImageReader lecteur(source.get(), format);
    lecteur.setAutoDetectImageFormat(false);
    const std::optional<int> indice = choisirLaPlusGrande(lecteur);
    if (!indice)
        refuser(chemin, QStringLiteral("Qt : ") + lecteur.errorString());
    const QSize taille = lecteur.size();
    if (!tailleAdmise(taille.width(), taille.height()))
        refuser(chemin, QStringLiteral("image refusée, %1 × %2 pixels").arg(taille.width()).arg(taille.height()));
    QImage image = lecteur.read();
    if (image.isNull())
        refuser(chemin, QStringLiteral("Qt : ") + lecteur.errorString());
    // Qt honours the mask of icons of 8 bits or fewer only.
    if (format == "ico")
        image = surLesOctets(chemin, [&](QByteArrayView vue) { return avecMasqueIco(std::move(image), vue, *indice); });
    if (image.colorSpace().isValid() && image.colorSpace() != QColorSpace::SRgb)
        image.convertToColorSpace(QColorSpace::SRgb);
    // Read before the move: the order in which a call's arguments are evaluated is the
    // compiler's choice.
    const bool alpha = image.hasAlphaChannel();
    return depuisPixels(std::move(image), alpha);
}

bool lisibleParLibav(const QString& chemin)
{
    return codecDImage(chemin) != AV_CODEC_ID_NONE;
}

VImage lireParLibav(const QString& chemin)
{
    const AVCodecID id = codecDImage(chemin);
    const auto image = decoderAv(chemin, id);
    const auto format = static_cast<AVPixelFormat>(image->format);
    const int w = image->width;
    const int h = image->height;
    // Point sampling at the same size: RGB and palette pixels come through unchanged.
    Media::Sws sws(sws_getContext(w, h, format, w, h, AV_PIX_FMT_RGBA, SWS_POINT | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT,
                                  nullptr, nullptr, nullptr));
    if (!sws)
        refuser(chemin, QStringLiteral("libav : format de pixels %1 non converti")
                            .arg(QString::fromUtf8(av_get_pix_fmt_name(format))));
    // swscale writes past a row's end: it writes into memory of its own allocator.
    Media::Image cible;
    try {
        cible = Media::imageAlignee(AV_PIX_FMT_RGBA, w, h);
    } catch (const Media::Echec&) {  // its buffer could not be had
        throw std::bad_alloc();
    }
    sws_scale(sws.get(), image->data, image->linesize, 0, h, cible->data, cible->linesize);
    // libav gives every 32-bit TGA an alpha channel, whatever the file says of its fourth byte.
    const bool alpha = peutAvoirAlpha(format)
        && (id != AV_CODEC_ID_TARGA || surLesOctets(chemin, [](QByteArrayView vue) { return alphaTgaUtile(vue); }));
    return depuisPixels(Media::versQImage(*cible, QImage::Format_RGBA8888), alpha);
}

VImage lireTga(const QString& chemin)
{
    const std::optional<VImage> gris = surLesOctets(chemin, [&](QByteArrayView vue) -> std::optional<VImage> {
        const std::optional<QSize> taille = tgaGrisAlpha(vue);
        if (!taille)
            return std::nullopt;
        if (!tailleAdmise(taille->width(), taille->height()))
            refuser(chemin, QStringLiteral("image refusée, %1 × %2 pixels").arg(taille->width()).arg(taille->height()));
        VImage image = aRemplir(taille->width(), taille->height(), 2);
        if (!decoderTgaGrisAlpha(vue, static_cast<uint8_t*>(VIPS_IMAGE_ADDR(image.get_image(), 0, 0))))
            refuser(chemin, QStringLiteral("TGA gris coupé"));
        // The second byte is alpha only when the file says so, and kept only when a pixel uses it.
        if (!alphaTgaUtile(vue) || image.extract_band(1).min() == 255)
            return image.extract_band(0);
        return image;
    });
    return gris ? *gris : lireParLibav(chemin);
}

VImage lireRaw(const QString& chemin)
{
    std::unique_ptr<libraw_data_t, LibererRaw> raw(libraw_init(0));
    if (!raw)
        refuser(chemin, QStringLiteral("libraw : pas de mémoire"));
    // libraw's complaints go to the log; those about the sensor's data fail the file.
    ErreursRaw erreurs{chemin, 0};
    libraw_set_dataerror_handler(raw.get(), erreurRaw, &erreurs);
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
    erreurs.nombre = 0;
    verifier(libraw_unpack(raw.get()));
    if (erreurs.nombre > 0)
        refuser(chemin, QStringLiteral("libraw : données du capteur abîmées"));
    if (!capteurLu(*raw))
        refuser(chemin, QStringLiteral("libraw : aucune donnée du capteur"));
    verifier(libraw_dcraw_process(raw.get()));
    int code = LIBRAW_SUCCESS;
    std::unique_ptr<libraw_processed_image_t, LibererImageRaw> image(libraw_dcraw_make_mem_image(raw.get(), &code));
    verifier(code);
    if (!image || image->type != LIBRAW_IMAGE_BITMAP || image->bits != 8 || (image->colors != 3 && image->colors != 1)
        || static_cast<size_t>(image->data_size) != size_t(image->width) * image->height * image->colors)
        refuser(chemin, QStringLiteral("libraw : image inattendue"));
    return copie(image->data, image->data_size, image->width, image->height, image->colors);
}

bool tiffJpegAncien(const QString& chemin)
{
    QFile f(chemin);
    if (!f.open(QIODevice::ReadOnly) || f.size() < 8)
        return false;
    const uchar* octets = f.map(0, f.size());
    return octets && compressionTiff(octets, static_cast<size_t>(f.size())) == COMPRESSION_OJPEG;
}

void FermerTiff::operator()(TIFF* t) const { TIFFClose(t); }

TiffOuvert ouvrirTiff(const QString& chemin)
{
    std::unique_ptr<TIFFOpenOptions, LibererOptionsTiff> options(TIFFOpenOptionsAlloc());
    if (!options)
        throw std::bad_alloc();
    TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), static_cast<tmsize_t>(pixelsAuPlus * 4));
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), erreurTiff, const_cast<QString*>(&chemin));
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), avertissementTiff, nullptr);
    return TiffOuvert(TIFFOpenExt(local(chemin).constData(), "r", options.get()));
}

VImage lireTiffParRgba(const QString& chemin)
{
    const TiffOuvert tiff = ouvrirTiff(chemin);
    uint32_t largeur = 0;
    uint32_t hauteur = 0;
    if (!tiff || !TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &largeur)
        || !TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &hauteur))
        refuser(chemin, QStringLiteral("libtiff : TIFF illisible"));
    if (!tailleAdmise(largeur, hauteur))
        refuser(chemin, QStringLiteral("image refusée, %1 × %2 pixels").arg(largeur).arg(hauteur));
    QImage image(static_cast<int>(largeur), static_cast<int>(hauteur), QImage::Format_RGBA8888);
    if (image.isNull())
        throw std::bad_alloc();
    // The RGBA interface decodes the JPEG strips itself and turns YCbCr into RGB; rows of a
    // 32-bit QImage are packed, as it writes them.
    auto* pixels = reinterpret_cast<uint32_t*>(image.bits());
    if (!TIFFReadRGBAImageOriented(tiff.get(), largeur, hauteur, pixels, ORIENTATION_TOPLEFT, 1))
        refuser(chemin, QStringLiteral("libtiff : TIFF en JPEG ancien non décodé"));
    // Each pixel is A, B, G, R from the high byte down: R, G, B, A in memory on little-endian.
    if constexpr (Q_BYTE_ORDER == Q_BIG_ENDIAN)
        for (qsizetype i = 0; i < qsizetype(largeur) * hauteur; ++i)
            pixels[i] = qbswap(pixels[i]);
    return depuisPixels(std::move(image), true);
}

} // namespace Conversions
