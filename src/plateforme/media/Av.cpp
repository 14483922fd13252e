#include "plateforme/media/Av.h"
#include "plateforme/media/Sonde.h"

#include <QFile>
#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>

extern "C" {
#include <libavutil/avstring.h>
#include <libavutil/opt.h>
}

namespace Media {

namespace {

std::string texte(int code)
{
    char tampon[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, tampon, sizeof tampon);
    return tampon;
}

// The probed demuxer must be one of the safe ones: the same list the probe and the ffmpeg
// runner allow, so every road in from a dropped file follows one rule.
bool accepte(const AVInputFormat* format)
{
    return format && av_match_list(format->name, formatsSurs(), ',') > 0;
}

// The libraries' chatter stays out of the terminal; failures reach the log through Echec.
void calmer()
{
    static std::once_flag fait;
    std::call_once(fait, [] { av_log_set_level(AV_LOG_FATAL); });
}

QByteArray url(const QString& chemin)
{
    calmer();
    // The prefix keeps a name with a colon from being read as a protocol.
    return "file:" + QFile::encodeName(chemin);
}

} // namespace

int verifier(int code, const char* quoi)
{
    if (code < 0)
        echouer(quoi, code);
    return code;
}

void echouer(const char* quoi, int code)
{
    std::string m = quoi;
    if (code < 0)
        m += ": " + texte(code);
    throw Echec(m);
}

void LibererFormatEntree::operator()(AVFormatContext* c) const
{
    AVIOContext* pb = c->pb;
    const bool propre = c->flags & AVFMT_FLAG_CUSTOM_IO;
    avformat_close_input(&c);
    if (propre)
        avio_closep(&pb);
}

void LibererFormatSortie::operator()(AVFormatContext* c) const
{
    if (c->pb && !(c->oformat->flags & AVFMT_NOFILE))
        avio_closep(&c->pb);
    avformat_free_context(c);
}

Image nouvelleImage()
{
    Image i(av_frame_alloc());
    if (!i)
        throw std::bad_alloc();
    return i;
}

Paquet nouveauPaquet()
{
    Paquet p(av_packet_alloc());
    if (!p)
        throw std::bad_alloc();
    return p;
}

Image imageAlignee(AVPixelFormat format, int largeur, int hauteur)
{
    Image i = nouvelleImage();
    i->format = format;
    i->width = largeur;
    i->height = hauteur;
    verifier(av_frame_get_buffer(i.get(), 0), "mémoire");
    return i;
}

Image copieAlignee(const QImage& image, AVPixelFormat format)
{
    Image i = imageAlignee(format, image.width(), image.height());
    const auto octets = static_cast<size_t>(std::min<qsizetype>(image.bytesPerLine(), i->linesize[0]));
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(i->data[0] + static_cast<ptrdiff_t>(y) * i->linesize[0], image.constScanLine(y), octets);
    return i;
}

QImage versQImage(const AVFrame& image, QImage::Format format)
{
    QImage q(image.width, image.height, format);
    if (q.isNull())
        throw std::bad_alloc();
    const auto octets = static_cast<size_t>(std::min<qsizetype>(q.bytesPerLine(), image.linesize[0]));
    for (int y = 0; y < image.height; ++y)
        std::memcpy(q.scanLine(y), image.data[0] + static_cast<ptrdiff_t>(y) * image.linesize[0], octets);
    return q;
}

FormatEntree ouvrirEntree(const QString& chemin)
{
    const QByteArray u = url(chemin);
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    AVIOContext* pb = nullptr;
    const int ouvert = avio_open2(&pb, u.constData(), AVIO_FLAG_READ, nullptr, &options);
    av_dict_free(&options);
    verifier(ouvert, "ouverture");
    const AVInputFormat* format = nullptr;
    const int sonde = av_probe_input_buffer2(pb, &format, u.constData(), nullptr, 0, 0);
    if (sonde < 0 || !accepte(format)) {
        avio_closep(&pb);
        echouer(format ? format->name : "format inconnu", sonde);
    }
    AVFormatContext* c = avformat_alloc_context();
    if (!c) {
        avio_closep(&pb);
        throw std::bad_alloc();
    }
    c->pb = pb;
    c->flags |= AVFMT_FLAG_CUSTOM_IO;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    av_dict_set(&options, "format_whitelist", formatsSurs(), 0);
    const int r = avformat_open_input(&c, u.constData(), format, &options);
    av_dict_free(&options);
    if (r < 0) {
        // avformat_open_input frees the context but not our I/O.
        avio_closep(&pb);
        echouer("ouverture", r);
    }
    FormatEntree entree(c);
    verifier(avformat_find_stream_info(c, nullptr), "lecture des flux");
    return entree;
}

Codec ouvrirDecodeur(const AVStream* flux)
{
    const AVCodec* codec = avcodec_find_decoder(flux->codecpar->codec_id);
    if (!codec)
        echouer("pas de décodeur");
    Codec c(avcodec_alloc_context3(codec));
    if (!c)
        throw std::bad_alloc();
    verifier(avcodec_parameters_to_context(c.get(), flux->codecpar), "paramètres du décodeur");
    c->pkt_timebase = flux->time_base;
    c->thread_count = 0;
    verifier(avcodec_open2(c.get(), codec, nullptr), "ouverture du décodeur");
    return c;
}

FormatSortie ouvrirSortie(const QString& chemin, const char* conteneur)
{
    const QByteArray nom = QFile::encodeName(chemin);
    AVFormatContext* c = nullptr;
    verifier(avformat_alloc_output_context2(&c, nullptr, conteneur, nom.constData()), "muxeur");
    FormatSortie sortie(c);
    verifier(avio_open(&c->pb, url(chemin).constData(), AVIO_FLAG_WRITE), "création du fichier");
    return sortie;
}

void alimenter(AVFormatContext* format, AVCodecContext* decodeur, int flux, AVPacket* paquet, bool& finLecture,
               const std::function<void(const AVPacket&)>& avant)
{
    if (finLecture) {
        verifier(avcodec_send_packet(decodeur, nullptr), "décodage");
        return;
    }
    const int l = av_read_frame(format, paquet);
    if (l == AVERROR_EOF) {
        finLecture = true;
        return;
    }
    verifier(l, "lecture");
    if (paquet->stream_index == flux) {
        if (avant)
            avant(*paquet);
        const int s = avcodec_send_packet(decodeur, paquet);
        if (s < 0 && s != AVERROR_INVALIDDATA)
            verifier(s, "décodage");
    }
    av_packet_unref(paquet);
}

void coder(AVCodecContext* codeur, const AVFrame* image, AVFormatContext* format, AVStream* flux, AVPacket* paquet,
           const std::function<void(AVPacket&)>& avant)
{
    verifier(avcodec_send_frame(codeur, image), "codage");
    for (;;) {
        const int r = avcodec_receive_packet(codeur, paquet);
        if (r == AVERROR(EAGAIN) || r == AVERROR_EOF)
            return;
        verifier(r, "codage");
        if (avant)
            avant(*paquet);
        av_packet_rescale_ts(paquet, codeur->time_base, flux->time_base);
        paquet->stream_index = flux->index;
        verifier(av_interleaved_write_frame(format, paquet), "écriture");
    }
}

AVChannelLayout disposition(const AVChannelLayout& source)
{
    AVChannelLayout d{};
    if (source.order == AV_CHANNEL_ORDER_NATIVE && source.nb_channels > 0)
        av_channel_layout_copy(&d, &source);
    else
        av_channel_layout_default(&d, source.nb_channels);
    return d;
}

} // namespace Media
