#include "conversions/images/Vips.h"
#include "conversions/Chemins.h"

#include "conversions/Catalogue.h"
#include "conversions/Erreur.h"
#include "conversions/images/Decodage.h"
#include "conversions/images/Decodeurs.h"
#include "conversions/images/PngComplet.h"
#include "conversions/images/ProfilIcc.h"
#include "conversions/Journaux.h"
#include "conversions/travail/Reserve.h"

#include <QFile>
#include <QFileInfo>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>

using vips::VImage;
using vips::VError;

namespace Conversions {

namespace {

// libvips writes its prefix into the environment (VIPSHOME) when it first starts, which is on
// a worker: a setenv while other threads read the environment can pull the table from under
// their getenv (GLib's dconf worker died so). Written here, before main and any thread.
[[maybe_unused]] const char* const prefixeVips = vips_guess_prefix("vemo", "VIPSHOME");

// A decoder's error fails the file instead of leaving its rows black or grey; its mere
// warnings do not (as chargerSurveille() opens them).
vips::VOption* strict(vips::VOption* options)
{
    return options->set("fail_on", VIPS_FAIL_ON_ERROR);
}

// Set by enSrgb() on what libvips' thumbnail() would read otherwise from the file (Lab with
// alpha, CMYK with a profile, integers of other ranges), and on TIFFs, whose loader gains
// nothing from thumbnail() and is watched only when opened by us: such pictures are reduced
// from the opened one.
constexpr const char* champRelu = "vemo-relu";

void verifierTaille(const VImage& image, const QString& chemin)
{
    if (tailleAdmise(image.width(), image.height()))
        return;
    const QString raison = QStringLiteral("image refusée, %1 × %2 pixels").arg(image.width()).arg(image.height());
    // A PNG too short for what it declares is broken before it is large.
    if (image.width() <= 0 || image.height() <= 0 || pngTropCourt(chemin))
        refuser(chemin, raison);
    refuserTropGrand(chemin, raison);
}

// Whether libvips' loader `chargeur` ("gifload", "tiffload"…) read the picture.
bool luPar(const VImage& image, const char* chargeur)
{
    return image.get_typeof(VIPS_META_LOADER) != 0 && std::strcmp(image.get_string(VIPS_META_LOADER), chargeur) == 0;
}

// libnsgif and libheif decode a whole frame at the first row asked for. libvips' caches black
// out a tile whose decoder failed on another thread and go on: such a picture's first row is
// read here, on this thread, where the failure is the pass's own.
bool decodeEntier(const VImage& image)
{
    return luPar(image, "gifload") || luPar(image, "heifload");
}

// What the decoder holds: libnsgif's frame of four bytes a pixel; libheif's picture and, while
// it converts them, its planes.
qint64 octetsDuDecodeur(const VImage& image)
{
    const double parPixel = luPar(image, "gifload") ? 4.0 : 2.0 * VIPS_IMAGE_SIZEOF_PEL(image.get_image());
    return static_cast<qint64>(parPixel * image.width() * image.height());
}

void rendre(gpointer reserve) { delete static_cast<Reserve*>(reserve); }

// Set on such a picture while its decoded frame has served no pass yet: the first reduction
// reads it, instead of opening and decoding the file again beside it.
constexpr const char* champPassage = "vemo-passage";

// The frame decoded now, set aside first and for as long as the decoder holds it.
void decoderSurCeFil(VImage& charge, const QString& chemin)
{
    auto decodeur = std::make_unique<Reserve>(octetsDuDecodeur(charge), chemin);
    lirePremiereLigne(charge);
    g_object_set_data_full(G_OBJECT(charge.get_image()), "vemo-reserve", decodeur.release(), rendre);
    charge.set(champRelu, 1);
    charge.set(champPassage, 1);
}

// Whether the picture's decoded frame is still unread by any pass; it is not, from now on.
bool premierPassage(const VImage& image)
{
    return image.get_typeof(champPassage) != 0 && vips_image_remove(image.get_image(), champPassage);
}

void liberer(void* pixels) { g_free(pixels); }

} // namespace

void vipsPret()
{
    static std::once_flag fait;
    std::call_once(fait, [] {
        if (VIPS_INIT("vemo") != 0)
            throw Erreur::rien(QStringLiteral("Les images ne peuvent pas être traitées sur ce système"));
        // A hostile file must never reach a loader we don't trust: block them all,
        // then let through the formats we offer.
        vips_operation_block_set("VipsForeignLoad", TRUE);
        for (const char* permis : {"VipsForeignLoadJpeg", "VipsForeignLoadPng", "VipsForeignLoadWebp",
                                   "VipsForeignLoadHeif", "VipsForeignLoadNsgif", "VipsForeignLoadTiff"})
            vips_operation_block_set(permis, FALSE);
        // Files change between two drops: a cache keyed on their names would serve stale pixels.
        vips_cache_set_max(0);
    });
}

namespace {

// Files that libvips does not read come whole into memory through their own decoder.
bool horsVips(const QString& chemin)
{
    const QString e = QFileInfo(chemin).suffix().toLower();
    return imagesQt().contains(e) || imagesRaw().contains(e);
}

// What the first reader refuses, libav's decoder may still read (a top-down BMP, an RLE
// TGA, a subsampled TIFF): the first refusal stands when it cannot either.
template <typename F>
VImage ouAvecLibav(const QString& chemin, F&& lire)
{
    try {
        return lire();
    } catch (const Erreur& premiere) {
        if (!lisibleParLibav(chemin))
            throw;
        try {
            return lireParLibav(chemin);
        } catch (const Erreur&) {
            throw premiere;
        }
    }
}

VImage decoderHorsVips(const QString& chemin)
{
    const QString e = QFileInfo(chemin).suffix().toLower();
    if (imagesRaw().contains(e))
        return lireRaw(chemin);
    // Qt reads only uncompressed TGA: libav reads them all but grey with alpha.
    if (e == QLatin1String("tga"))
        return lireTga(chemin);
    return ouAvecLibav(chemin, [&] { return lireParQt(chemin); });
}

bool enMemoire(const VImage& image)
{
    return image.get_typeof(champEnMemoire) != 0;
}

bool profilHorsSrgb(const VImage& image)
{
    if (image.get_typeof(VIPS_META_ICC_NAME) == 0)
        return false;
    size_t taille = 0;
    const void* icc = image.get_blob(VIPS_META_ICC_NAME, &taille);
    return horsSrgb(QByteArray::fromRawData(static_cast<const char*>(icc), static_cast<qsizetype>(taille)));
}

} // namespace

VImage ouvrirImage(const QString& chemin)
{
    vipsPret();
    if (horsVips(chemin))
        return decoderHorsVips(chemin);
    if (tiffJpegAncien(chemin))
        return lireTiffParRgba(chemin);
    if (std::optional<VImage> rare = lireTiffAEchantillonsRares(chemin))
        return *rare;
    if (pngCoupe(chemin)) {
        qCWarning(journalImages).noquote() << QStringLiteral("PNG coupé : ") + chemin;
        throw Erreur::lecture(nomDe(chemin));
    }
    return ouAvecLibav(chemin, [&] {
        try {
            VImage image = chargerSurveille(chemin);
            verifierTaille(image, chemin);
            if (decodeEntier(image))
                decoderSurCeFil(image, chemin);
            if (luPar(image, "tiffload"))
                image.set(champRelu, 1);
            return enSrgb(image);
        } catch (const VError& e) {
            echecVips(e, chemin, {});
        }
    });
}

namespace {

VImage vignetteDe(const VImage& entete, const QString& chemin, std::optional<int> max);

} // namespace

int orientation(const VImage& image)
{
    return image.get_typeof(VIPS_META_ORIENTATION) != 0 ? image.get_int(VIPS_META_ORIENTATION) : 1;
}

VImage vignette(const QString& chemin, std::optional<int> max)
{
    return vignetteDe(ouvrirImage(chemin), chemin, max);
}

bool entiereEnMemoire(const VImage& image)
{
    return enMemoire(image);
}

VImage vignette(const VImage& entete, const QString& chemin, std::optional<int> max)
{
    // A file read in sequence gives one pass: each pipeline opens it anew, but the first of a
    // frame decoded at its opening.
    return enMemoire(entete) || premierPassage(entete) ? vignetteDe(entete, chemin, max) : vignette(chemin, max);
}

namespace {

VImage vignetteDe(const VImage& entete, const QString& chemin, std::optional<int> max)
{
    const int cote = std::max(entete.width(), entete.height());
    const int taille = max && *max > 0 && *max < cote ? *max : cote;
    try {
        if (enMemoire(entete))  // already decoded, upright and in sRGB
            return taille == cote ? entete
                                  : entete.thumbnail_image(taille, VImage::option()->set("height", taille));
        vips::VOption* options = VImage::option()->set("height", taille)->set("size", VIPS_SIZE_DOWN);
        // Every caller drops the profile (QImage, WebP, PDF pixels, stripped copies): the
        // pixels must be sRGB already, or a wide-gamut red comes out a dull brown. sRGB
        // and untagged pixels are left alone: the round trip would only cost time and levels.
        if (profilHorsSrgb(entete))
            options->set("export_profile", "srgb");
        // libvips' own thumbnail would keep a linear alpha band from 0 to 1.
        if ((entete.interpretation() == VIPS_INTERPRETATION_scRGB && entete.has_alpha())
            || entete.get_typeof(champRelu) != 0)
            return huitBits(entete.autorot()).thumbnail_image(taille, options);
        return VImage::thumbnail(local(chemin).constData(), taille, strict(options));
    } catch (const VError& e) {
        echecVips(e, chemin, {});
    }
}

} // namespace

namespace {

// Linear light from 0 to 1 (float TIFFs) to 8-bit sRGB. libvips leaves an alpha band as it
// was, from 0 to 1, where 8 bits want 0 to 255.
VImage depuisLineaire(const VImage& image)
{
    if (!image.has_alpha())
        return image.colourspace(VIPS_INTERPRETATION_sRGB);
    const int couleurs = image.bands() - 1;
    const VImage alpha = image.extract_band(couleurs).linear(255.0, 0.5).cast(VIPS_FORMAT_UCHAR);  // rounded
    return image.extract_band(0, VImage::option()->set("n", couleurs))
        .colourspace(VIPS_INTERPRETATION_sRGB)
        .bandjoin(alpha);
}

// Grey floats from 0 to 1 (float TIFFs of grey) are linear light as their colour kin are:
// brought down the same way, as grey.
VImage depuisGrisLineaire(const VImage& image)
{
    const VImage gris = image.extract_band(0);
    VImage lineaire = VImage::bandjoin({gris, gris, gris});
    if (image.has_alpha())
        lineaire = lineaire.bandjoin(image.extract_band(1));
    const VImage srgb = depuisLineaire(lineaire.copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_scRGB)));
    const VImage clair = srgb.extract_band(0).copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_B_W));
    return image.has_alpha() ? clair.bandjoin(srgb.extract_band(3)) : clair;
}

// Integers scaled from their type's whole range onto 16 bits: a signed one from its most
// negative value (black) to its largest (white), as TIFF reads them when the file gives no
// narrower range.
VImage surSeizeBits(const VImage& image)
{
    double valeurs = 0;
    bool signe = true;
    switch (image.format()) {
    case VIPS_FORMAT_CHAR: valeurs = 256.0; break;
    case VIPS_FORMAT_SHORT: valeurs = 65536.0; break;
    case VIPS_FORMAT_INT: valeurs = 4294967296.0; break;
    case VIPS_FORMAT_UINT:
        valeurs = 4294967296.0;
        signe = false;
        break;
    default: return image;
    }
    const double echelle = 65535.0 / (valeurs - 1);
    return image.linear(echelle, (signe ? valeurs / 2 * echelle : 0.0) + 0.5)
        .cast(VIPS_FORMAT_USHORT)
        .copy(VImage::option()->set(
            "interpretation", image.bands() < 3 ? VIPS_INTERPRETATION_GREY16 : VIPS_INTERPRETATION_RGB16));
}

VImage sansProfil(VImage image)
{
    if (image.get_typeof(VIPS_META_ICC_NAME) != 0)
        image.remove(VIPS_META_ICC_NAME);
    return image;
}

// Lab to sRGB, of 16 bits from 16-bit Lab. Packed Lab (8-bit TIFFs) is unpacked first:
// libvips' shortcut from it to sRGB goes through coarse tables, a green comes out 15 levels
// off. libvips types the alpha of a Lab TIFF as signed, so that 65535 reads -1: it is taken
// back as the unsigned value it is.
VImage depuisLab(const VImage& image)
{
    if (image.coding() == VIPS_CODING_LABQ)
        return sansProfil(image.LabQ2Lab().colourspace(VIPS_INTERPRETATION_sRGB));
    const bool seize = image.format() == VIPS_FORMAT_SHORT || image.format() == VIPS_FORMAT_USHORT;
    const VImage couleurs = image.extract_band(0, VImage::option()->set("n", 3))
                                .colourspace(seize ? VIPS_INTERPRETATION_RGB16 : VIPS_INTERPRETATION_sRGB);
    if (image.bands() == 3)
        return sansProfil(couleurs);
    VImage alpha = image.extract_band(3, VImage::option()->set("n", image.bands() - 3));
    if (alpha.format() == VIPS_FORMAT_SHORT)
        alpha = (alpha < 0).ifthenelse(alpha + 65536, alpha);
    return sansProfil(couleurs.bandjoin(alpha.cast(couleurs.format())));
}

// CMYK through its embedded profile, or a standard one when it has none that fits; the
// pixels then carry sRGB's. (libvips' colourspace() and thumbnail() pass the embedded
// profile over.)
VImage depuisCmjn(const VImage& image)
{
    return image.icc_transform("srgb", VImage::option()
                                           ->set("embedded", true)
                                           ->set("input_profile", "cmyk")
                                           ->set("depth", image.format() == VIPS_FORMAT_USHORT ? 16 : 8));
}

VImage releve(VImage image)
{
    image.set(champRelu, 1);
    return image;
}

} // namespace

VImage enSrgb(const VImage& image)
{
    if (image.coding() == VIPS_CODING_LABQ)
        return releve(depuisLab(image));
    switch (image.interpretation()) {
    case VIPS_INTERPRETATION_LAB:
    case VIPS_INTERPRETATION_LABS:
        return releve(depuisLab(image));
    case VIPS_INTERPRETATION_CMYK:
        return image.bands() >= 4 ? releve(depuisCmjn(image)) : image;
    case VIPS_INTERPRETATION_B_W:
    case VIPS_INTERPRETATION_GREY16:
    case VIPS_INTERPRETATION_sRGB:
    case VIPS_INTERPRETATION_RGB16:
    case VIPS_INTERPRETATION_MULTIBAND: {
        const VImage seize = surSeizeBits(image);
        return seize.get_image() == image.get_image() ? image : releve(seize);
    }
    default:
        return image;
    }
}

VImage huitBits(const VImage& image)
{
    if (image.format() == VIPS_FORMAT_UCHAR)
        return image;
    switch (image.interpretation()) {
    case VIPS_INTERPRETATION_scRGB:
        return depuisLineaire(image);
    case VIPS_INTERPRETATION_RGB16:
        return image.colourspace(VIPS_INTERPRETATION_sRGB);
    case VIPS_INTERPRETATION_GREY16:
        return image.colourspace(VIPS_INTERPRETATION_B_W);
    case VIPS_INTERPRETATION_B_W:
        return vips_band_format_isfloat(image.format()) ? depuisGrisLineaire(image) : image.cast(VIPS_FORMAT_UCHAR);
    default:
        return image.cast(VIPS_FORMAT_UCHAR);
    }
}

VImage rgba(const VImage& image)
{
    VImage r = huitBits(image);
    if (r.interpretation() != VIPS_INTERPRETATION_sRGB)
        r = huitBits(r.colourspace(VIPS_INTERPRETATION_sRGB));
    if (r.bands() == 3)
        r = r.bandjoin_const({255});
    if (r.bands() != 4)
        r = r.extract_band(0, VImage::option()->set("n", 3)).bandjoin_const({255});
    return r;
}

VImage surBlanc(const VImage& image)
{
    VImage r = huitBits(image);
    if (!r.has_alpha())
        return r;
    return r.flatten(VImage::option()->set("background", std::vector<double>{255.0}));
}

QImage versQImage(const VImage& image, bool opaque)
{
    const VImage pixels = rgba(image);
    size_t taille = 0;
    void* memoire = pixels.write_to_memory(&taille);
    const int w = pixels.width();
    const int h = pixels.height();
    if (taille != static_cast<size_t>(w) * h * 4) {
        g_free(memoire);
        throw Erreur::ecriture(QStringLiteral("image"));
    }
    return QImage(static_cast<uchar*>(memoire), w, h, 4 * w,
                  opaque ? QImage::Format_RGBX8888 : QImage::Format_RGBA8888, liberer, memoire);
}

VImage depuisQImage(const QImage& image)
{
    vipsPret();
    if (image.bytesPerLine() != 4 * image.width() || image.depth() != 32)
        throw Erreur::ecriture(QStringLiteral("image"));
    return VImage::new_from_memory(const_cast<uchar*>(image.constBits()),
                                   static_cast<size_t>(image.sizeInBytes()), image.width(),
                                   image.height(), 4, VIPS_FORMAT_UCHAR);
}

QString motsDeVips(const VError& e)
{
    vips_error_clear();
    // Each thread of a pipeline that fails adds its own line, often the same one.
    QStringList mots;
    for (const QString& ligne : QString::fromUtf8(e.what()).split(QLatin1Char('\n'))) {
        const QString mot = ligne.trimmed();
        if (!mot.isEmpty() && !mots.contains(mot))
            mots << mot;
    }
    return mots.join(QStringLiteral(" | "));
}

void echecVips(const VError& e, const QString& source, const QString& sortie)
{
    const QString texte = motsDeVips(e);
    qCWarning(journalImages).noquote() << QStringLiteral("vips : ") + texte;
    if (!sortie.isEmpty())
        signalerUnDisquePlein(QStringLiteral("vips"), texte);
    // Reading and writing run in one pass: loaders name themselves "…load" or "…2vips",
    // libjpeg's reader "VipsJpeg", the HEIF reader "heif" (HEIC is written by libheif itself,
    // never through libvips), but a word of writing or a full disk puts the fault on the output.
    const bool ecriture = ditUnDisquePlein(texte) || texte.contains(QLatin1String("write"), Qt::CaseInsensitive)
        || texte.contains(QLatin1String("target")) || texte.contains(QLatin1String("disk space"));
    const bool lecture = texte.contains(QLatin1String("load")) || texte.contains(QLatin1String("2vips"))
        || texte.contains(QLatin1String("VipsJpeg"))
        || texte.contains(QLatin1String("heif: ")) || texte.contains(QLatin1String("read"), Qt::CaseInsensitive);
    if (sortie.isEmpty() || (lecture && !ecriture))
        throw Erreur::lecture(nomDe(source));
    throw Erreur::ecriture(nomDe(sortie));
}

namespace {

struct Lignes {
    const std::function<void(int, const std::uint8_t*)>& ligne;
    std::exception_ptr echec;
};

int recevoir(VipsRegion* region, VipsRect* zone, void* donnees)
{
    auto& l = *static_cast<Lignes*>(donnees);
    try {
        for (int y = zone->top; y < zone->top + zone->height; ++y)
            l.ligne(y, reinterpret_cast<const std::uint8_t*>(VIPS_REGION_ADDR(region, zone->left, y)));
        return 0;
    } catch (...) {
        l.echec = std::current_exception();
        return -1;
    }
}

} // namespace

void lirePremiereLigne(const VImage& image)
{
    VipsRegion* region = vips_region_new(image.get_image());
    VipsRect ligne{0, 0, image.width(), 1};
    const int echec = region ? vips_region_prepare(region, &ligne) : -1;
    if (region)
        g_object_unref(region);
    if (echec != 0)
        throw VError();
}

void parLignes(const VImage& image, const std::function<void(int, const std::uint8_t*)>& ligne)
{
    Lignes lignes{ligne, {}};
    // libvips may end well though a row's callback failed (the last rows' failure is not
    // passed on): the callback's own failure comes first.
    const bool fini = vips_sink_disc(image.get_image(), recevoir, &lignes) == 0;
    if (lignes.echec)
        std::rethrow_exception(lignes.echec);
    if (!fini)
        throw VError();
}

} // namespace Conversions
