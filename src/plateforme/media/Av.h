#pragma once

// Shared pieces of the media layer: owning handles over libav objects and a guarded
// way to open a dropped file.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include "plateforme/media/Echec.h"

#include <QImage>
#include <QString>
#include <functional>
#include <memory>

namespace Media {

// Throws Echec when `code` is a libav error.
int verifier(int code, const char* quoi);
[[noreturn]] void echouer(const char* quoi, int code = 0);

struct LibererFormatEntree { void operator()(AVFormatContext* c) const; };
struct LibererFormatSortie { void operator()(AVFormatContext* c) const; };
struct LibererCodec { void operator()(AVCodecContext* c) const { avcodec_free_context(&c); } };
struct LibererImage { void operator()(AVFrame* f) const { av_frame_free(&f); } };
struct LibererPaquet { void operator()(AVPacket* p) const { av_packet_free(&p); } };
struct LibererSwr { void operator()(SwrContext* s) const { swr_free(&s); } };
struct LibererSws { void operator()(SwsContext* s) const { sws_freeContext(s); } };

using FormatEntree = std::unique_ptr<AVFormatContext, LibererFormatEntree>;
using FormatSortie = std::unique_ptr<AVFormatContext, LibererFormatSortie>;
using Codec = std::unique_ptr<AVCodecContext, LibererCodec>;
using Image = std::unique_ptr<AVFrame, LibererImage>;
using Paquet = std::unique_ptr<AVPacket, LibererPaquet>;
using Swr = std::unique_ptr<SwrContext, LibererSwr>;
using Sws = std::unique_ptr<SwsContext, LibererSws>;

Image nouvelleImage();
Paquet nouveauPaquet();

// swscale reads and writes rows in wide chunks, past their last pixel: it is only ever
// handed frames from the library's own allocator (aligned rows, padded end), never a
// QImage's memory. These copy rows between the two.
Image imageAlignee(AVPixelFormat format, int largeur, int hauteur);
Image copieAlignee(const QImage& image, AVPixelFormat format);
QImage versQImage(const AVFrame& image, QImage::Format format);

// Opens a dropped file for demuxing. The file is untrusted: only the local file itself
// is read (no other protocol), and demuxers that follow references to other files
// (playlists, concat lists, image sequences) are refused. Stream info is read.
FormatEntree ouvrirEntree(const QString& chemin);

// A decoder opened on `flux`, threaded.
Codec ouvrirDecodeur(const AVStream* flux);

// Creates `chemin` and its muxer (chosen by `conteneur`, else by the extension).
FormatSortie ouvrirSortie(const QString& chemin, const char* conteneur = nullptr);

// Feeds the decoder the next packet of stream `flux` (the others are dropped), or the
// end of the stream once the file is read through. `avant` may set the decoder up for
// the packet. A damaged packet is skipped, as players do.
void alimenter(AVFormatContext* format, AVCodecContext* decodeur, int flux, AVPacket* paquet, bool& finLecture,
               const std::function<void(const AVPacket&)>& avant = {});

// Sends `image` (null: the end) to the encoder and writes each packet it gives out into
// `flux`; `avant` may amend a packet, in the encoder's time base, first.
void coder(AVCodecContext* codeur, const AVFrame* image, AVFormatContext* format, AVStream* flux, AVPacket* paquet,
           const std::function<void(AVPacket&)>& avant = {});

// The layout to use for `n` channels when `source` says nothing useful.
AVChannelLayout disposition(const AVChannelLayout& source);

} // namespace Media
