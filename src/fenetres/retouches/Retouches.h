#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

namespace vips {
class VImage;
}

// The edits' writers: every result is a new file beside its source, named after what was
// done ("photo (rognée).jpg", then "photo (rognée) 2.jpg"), never over an existing file,
// and never a half-written one. Failures are Conversions::Erreur. Blocking: run them on a
// worker thread.
namespace Retouches {

// Writes an edited picture beside `source` under `mot` ("rognée", "retouchée", "masquée",
// "annotée") and returns its path. The source's type (lower-case extension) when this
// build writes it: JPEG at quality 92, WebP at 90; otherwise PNG. No metadata is copied:
// the pixels are already turned, and a masked photo must not keep where it was taken.
QString enregistrer(const QImage& image, const QString& source, const QString& mot);
// The same from an 8-bit sRGB libvips picture (3 bands, or 4 with alpha), which may still be
// a pipeline: it runs while the file is written.
QString enregistrer(const vips::VImage& image, const QString& source, const QString& mot);

// Writes the passage from `de` to `a` seconds of a sound or video beside `source` under
// "coupée" (video) or "coupé" (sound), without re-encoding, and returns its path. An end
// not after the start is refused. A failure leaves nothing behind.
QString couper(const QString& source, double de, double a);

// The ffmpeg arguments of a stream copy of the passage into `sortie`.
QStringList argumentsCopie(const QString& source, double de, double a, const QString& sortie);

// Copies the frames from de × rate up to a × rate (no further than the end) of a PCM or
// FLAC sound into `destination`, a new file of the source's format, depth and rate: the
// samples are copied bit for bit.
void couperEchantillons(const QString& source, double de, double a, const QString& destination);

// Copies the packets of a sound that only ffmpeg reads (Ogg, Opus, WMA) into `destination`,
// from the one that holds the passage's start (Vorbis: the one before, which its decoder
// gives no sound for) to the one that holds its end: the passage decodes from within a packet
// of `de` to within one of `a`. Opus keeps 80 ms more before it, which its header then drops:
// to the sample.
void couperParPaquets(const QString& source, double de, double a, const QString& destination);

} // namespace Retouches
