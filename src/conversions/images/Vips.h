#pragma once

#include <QImage>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
// glib names a field `signals`, which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <vips/vips8>
#pragma pop_macro("signals")

namespace Conversions {

// The largest image we decode: beyond it a file is refused as a decompression bomb.
inline constexpr double pixelsAuPlus = 300e6;

// Logs `raison` with the file and throws « nom » est trop grand: a valid picture past the size
// guard, or one that cannot fit in memory.
[[noreturn]] void refuserTropGrand(const QString& chemin, const QString& raison);

// Starts libvips once for the whole process, with every loader blocked but the few we trust.
void vipsPret();

// A file opened for one sequential pass, its size checked, in sRGB or grey (enSrgb()).
// Throws Erreur::lecture, or « nom » est trop grand for a picture past the size guard or a GIF
// whose frame cannot fit.
vips::VImage ouvrirImage(const QString& chemin);
// Image 0 decoded at most `max` pixels on its largest side (never enlarged), orientation
// applied, in sRGB (converted through its embedded profile when that is not sRGB).
// Throws Erreur::lecture.
vips::VImage vignette(const QString& chemin, std::optional<int> max);
// The same from the file as ouvrirImage() gave it: a picture that its decoder made whole in
// memory (RAW, BMP…) is reduced from there, not decoded again; a file that libvips reads
// in sequence is opened anew for each pipeline, but for the first of a GIF or HEIF, whose
// frame was decoded as it opened.
vips::VImage vignette(const vips::VImage& entete, const QString& chemin, std::optional<int> max);

// The EXIF orientation (1 to 8) libvips' loader read from the file, 1 when it said none.
int orientation(const vips::VImage& image);

// Whether ouvrirImage() gave the picture whole in memory, for every pass to read; else a pass
// after the first opens the file anew, and the picture opened first may be let go before.
bool entiereEnMemoire(const vips::VImage& image);

// redressee() (Images.h) of a file already opened by ouvrirImage(), as vignette() above.
QImage redressee(const vips::VImage& entete, const QString& chemin, std::optional<int> max);

// The picture in a colour space that every writer takes as it is: grey or sRGB of 8 or 16
// bits (or linear floats), alpha kept. Lab and CMYK are converted (CMYK through its embedded
// profile, else a standard one) and carry no other profile than sRGB's; integers of 32 bits
// or signed ones are scaled from their type's whole range onto 16 bits. The
// picture itself when nothing needs doing. ouvrirImage() and vignette() give it so.
vips::VImage enSrgb(const vips::VImage& image);
// 8 bits per channel: 16-bit RGB or grey and linear float RGB are brought down, not clipped.
vips::VImage huitBits(const vips::VImage& image);
// sRGB with an alpha channel, 8 bits: the layout of QImage::Format_RGBA8888.
vips::VImage rgba(const vips::VImage& image);
// Transparency flattened onto white.
vips::VImage surBlanc(const vips::VImage& image);

// Pixels moved into a QImage without a second copy (RGBA8888, or RGBX8888 when `opaque`).
QImage versQImage(const vips::VImage& image, bool opaque);
// A view on a QImage's pixels (4 bands, 8 bits): `image` must outlive it.
vips::VImage depuisQImage(const QImage& image);

// Hands the image's rows to `ligne` in order, top to bottom, while libvips computes the next
// ones: a lazy pipeline never stands whole in memory. Throws vips::VError when the pixels
// fail; what `ligne` throws passes through.
void parLignes(const vips::VImage& image, const std::function<void(int y, const std::uint8_t* pixels)>& ligne);

// The image's first row computed on this thread, before a pass in strips starts again there
// (a sequential reader still holds it): a decoder that fails there fails here, and a file that
// declares a huge picture and holds no data fails before anything that large is allocated.
// Throws vips::VError.
void lirePremiereLigne(const vips::VImage& image);

// `chemin` opened by its libvips loader for one sequential pass, failing on its decoder's
// errors; the load is watched on this thread until verifierLectures(). Throws vips::VError.
vips::VImage chargerSurveille(const QString& chemin);
// Throws Erreur::lecture of `source` when a decoder of it opened on this thread failed,
// even where the pipeline went on (libvips blacks out a tile that failed while another
// thread computes it again); forgets those loads.
void verifierLectures(const QString& source);
// Whether a decoder of `source` opened on this thread failed; forgets those loads.
bool lecturesEchouees(const QString& source);
// Forgets the loads of `source` opened on this thread, unchecked.
void oublierLectures(const QString& source);

// Runs `ecrire` on `sortie`; a libvips failure becomes Erreur::lecture of the source
// when it came from reading (a watched decoder of the source failed, whichever stage saw it,
// or the library's words say so), else Erreur::ecriture of the output. A decoder that failed
// on the way fails it too, though the pipeline went on.
template <typename F>
void sousVips(const QString& source, const QString& sortie, F&& ecrire);
// libvips' words for a failure on one line: each message once, in order, joined by " | ".
// Its error buffer is emptied, so that the next failure does not repeat them.
QString motsDeVips(const vips::VError& e);
// The libvips error turned into ours; the English text goes to the log.
[[noreturn]] void echecVips(const vips::VError& e, const QString& source, const QString& sortie);

template <typename F>
void sousVips(const QString& source, const QString& sortie, F&& ecrire)
{
    try {
        ecrire();
    } catch (const vips::VError& e) {
        echecVips(e, source, lecturesEchouees(source) ? QString() : sortie);
    } catch (...) {
        oublierLectures(source);
        throw;
    }
    verifierLectures(source);
}

} // namespace Conversions
