#include "conversions/images/Heif.h"

#include "conversions/travail/EnParallele.h"
#include "conversions/Erreur.h"
#include "conversions/sorties/FichierDeSortie.h"
#include "conversions/Journaux.h"

#include <QFile>
#include <QFileInfo>
#include <cstring>
#include <libheif/heif.h>
#include <memory>
#include <string>
#include <utility>

using vips::VImage;

namespace Conversions {

namespace {

template <typename T, void (*liberer)(T*)>
struct Liberateur {
    void operator()(T* p) const { liberer(p); }
};
using Contexte = std::unique_ptr<heif_context, Liberateur<heif_context, heif_context_free>>;
using Encodeur = std::unique_ptr<heif_encoder, Liberateur<heif_encoder, heif_encoder_release>>;
using Image = std::unique_ptr<heif_image, Liberateur<const heif_image, heif_image_release>>;
using Options = std::unique_ptr<heif_encoding_options, Liberateur<heif_encoding_options, heif_encoding_options_free>>;

void verifier(const heif_error& e, const QString& chemin)
{
    if (e.code == heif_error_Ok)
        return;
    qCWarning(journalImages).noquote() << QStringLiteral("libheif : ") + QString::fromUtf8(e.message);
    throw Erreur::ecriture(QFileInfo(chemin).fileName());
}

// sRGB, 8 bits, 3 or 4 bands.
VImage rvb(const VImage& image)
{
    VImage r = huitBits(image);
    if (r.interpretation() != VIPS_INTERPRETATION_sRGB || r.bands() < 3)
        r = huitBits(r.colourspace(VIPS_INTERPRETATION_sRGB));
    if (r.bands() > 4)
        r = r.extract_band(0, VImage::option()->set("n", 4));
    return r;
}

Image remplir(const VImage& pixels, const QString& chemin)
{
    const int w = pixels.width();
    const int h = pixels.height();
    const int bandes = pixels.bands();
    lirePremiereLigne(pixels);  // before the planes
    heif_image* brute = nullptr;
    verifier(heif_image_create(w, h, heif_colorspace_RGB,
                               bandes == 4 ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, &brute),
             chemin);
    Image image(brute);
    verifier(heif_image_add_plane(image.get(), heif_channel_interleaved, w, h, 8), chemin);
    int pas = 0;
    uint8_t* plan = heif_image_get_plane(image.get(), heif_channel_interleaved, &pas);
    if (!plan)
        throw Erreur::ecriture(QFileInfo(chemin).fileName());
    // Straight from the lazy pipeline into the plane: the picture is held once, not twice.
    const size_t ligne = static_cast<size_t>(w) * bandes;
    parLignes(pixels, [&](int y, const uint8_t* rangee) {
        std::memcpy(plan + static_cast<size_t>(y) * pas, rangee, ligne);
    });
    if (pixels.get_typeof(VIPS_META_ICC_NAME) != 0) {
        size_t n = 0;
        const void* icc = pixels.get_blob(VIPS_META_ICC_NAME, &n);
        verifier(heif_image_set_raw_color_profile(image.get(), "prof", icc, n), chemin);
    }
    return image;
}

// x265's default "slow" preset spends seconds on one photo: "fast" does half the work for
// a file at most 3 % larger at the same SSIM. Rows go in wavefronts over the idle cores only;
// parallel mode analysis adds work, so only a nearly idle machine gets it.
void reglerX265(heif_encoder* encodeur, const QString& chemin)
{
    const int libres = coeursLibres();
    const std::string fils = std::to_string(libres);
    for (const auto& [nom, valeur] : {std::pair<const char*, const char*>{"preset", "fast"},
                                      {"x265:pools", fils.c_str()},
                                      {"x265:frame-threads", "1"},
                                      {"x265:wpp", "1"},
                                      {"x265:pmode", libres >= 6 ? "1" : "0"}})
        verifier(heif_encoder_set_parameter_string(encodeur, nom, valeur), chemin);
}

} // namespace

void ecrireHeif(const VImage& image, const QString& chemin, int qualite, bool av1, int orientation)
{
    const Image pixels = remplir(rvb(image), chemin);
    Contexte contexte(heif_context_alloc());
    heif_encoder* brut = nullptr;
    verifier(heif_context_get_encoder_for_format(
                 contexte.get(), av1 ? heif_compression_AV1 : heif_compression_HEVC, &brut),
             chemin);
    Encodeur encodeur(brut);
    verifier(heif_encoder_set_lossy_quality(encodeur.get(), qualite), chemin);
    if (!av1 && std::strstr(heif_encoder_get_name(encodeur.get()), "x265"))
        reglerX265(encodeur.get(), chemin);
    Options options(heif_encoding_options_alloc());
    if (orientation >= 1 && orientation <= 8)
        options->image_orientation = static_cast<heif_orientation>(orientation);
    verifier(heif_context_encode_image(contexte.get(), pixels.get(), encodeur.get(), options.get(), nullptr),
             chemin);
    // libheif's own file writer never looks at what the disk answered: its bytes go through ours.
    FichierDeSortie fichier(chemin, QFileInfo(chemin).fileName());
    heif_writer ecrivain{1, [](heif_context*, const void* octets, size_t taille, void* f) {
        if (static_cast<FichierDeSortie*>(f)->essayer(octets, taille))
            return heif_error{heif_error_Ok, heif_suberror_Unspecified, "ok"};
        return heif_error{heif_error_Encoding_error, heif_suberror_Cannot_write_output_data, "écriture impossible"};
    }};
    const heif_error ecrit = heif_context_write(contexte.get(), &ecrivain, &fichier);
    fichier.fermer();  // a failed write throws here first, a full disk as such
    verifier(ecrit, chemin);
}

} // namespace Conversions
