#include "plateforme/media/Sonde.h"

#include <QFile>
#include <algorithm>
#include <cmath>
#include <limits>
#include <sys/stat.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace Media {

const char* formatsSurs()
{
    return "mov,matroska,webm,avi,asf,flv,mpeg,mpegts,mpegvideo,m4v,h264,hevc,ogg,mp3,wav,w64,"
           "aiff,flac,caf,aac,ac3,eac3,dts,amr,ape,wv,mpc,mpc8,tta,au,dv,nut,ivf,rm,mxf";
}

QList<Flux> Sondage::de(TypeDeFlux type) const
{
    QList<Flux> l;
    for (const Flux& f : flux)
        if (f.type == type && !f.vignette)
            l.append(f);
    return l;
}

int64_t Sondage::debitVideo() const
{
    const QList<Flux> images = de(TypeDeFlux::video);
    if (images.isEmpty())
        return 0;
    if (images.first().debit > 0)
        return images.first().debit;
    int64_t reste = debit;
    for (const Flux& f : de(TypeDeFlux::son))
        reste -= f.debit;
    return std::max<int64_t>(reste, 0);
}

bool fichierOrdinaire(const QString& chemin)
{
    struct stat st;
    return ::stat(QFile::encodeName(chemin).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

namespace {

struct Contexte {
    AVFormatContext* ctx = nullptr;
    ~Contexte() { avformat_close_input(&ctx); }
};

struct Options {
    AVDictionary* d = nullptr;
    ~Options() { av_dict_free(&d); }
};

TypeDeFlux typeDe(AVMediaType t)
{
    switch (t) {
    case AVMEDIA_TYPE_VIDEO:
        return TypeDeFlux::video;
    case AVMEDIA_TYPE_AUDIO:
        return TypeDeFlux::son;
    default:
        return TypeDeFlux::autre;
    }
}

} // namespace

std::optional<Sondage> sonder(const QString& chemin)
{
    if (!fichierOrdinaire(chemin))
        return std::nullopt;
    Options options;
    av_dict_set(&options.d, "protocol_whitelist", "file", 0);
    av_dict_set(&options.d, "format_whitelist", formatsSurs(), 0);
    Contexte c;
    const QByteArray nom = QFile::encodeName(chemin);
    if (avformat_open_input(&c.ctx, nom.constData(), nullptr, &options.d) < 0)
        return std::nullopt;
    // Containers with a full header (MOV, MP4) already say every codec and the length:
    // decoding the first frames to learn them would only cost time.
    bool complet = c.ctx->duration != AV_NOPTS_VALUE;
    for (unsigned i = 0; i < c.ctx->nb_streams; ++i)
        complet = complet && c.ctx->streams[i]->codecpar->codec_id != AV_CODEC_ID_NONE;
    if (!complet && avformat_find_stream_info(c.ctx, nullptr) < 0)
        return std::nullopt;

    Sondage s;
    s.format = QString::fromLatin1(c.ctx->iformat->name);
    s.duree = c.ctx->duration == AV_NOPTS_VALUE || c.ctx->duration < 0
                  ? std::numeric_limits<double>::infinity()
                  : static_cast<double>(c.ctx->duration) / AV_TIME_BASE;
    s.debit = std::max<int64_t>(c.ctx->bit_rate, 0);
    for (unsigned i = 0; i < c.ctx->nb_streams; ++i) {
        const AVStream* st = c.ctx->streams[i];
        Flux f;
        f.index = static_cast<int>(i);
        f.type = typeDe(st->codecpar->codec_type);
        f.codec = st->codecpar->codec_id;
        f.vignette = (st->disposition & AV_DISPOSITION_ATTACHED_PIC) != 0;
        f.debit = std::max<int64_t>(st->codecpar->bit_rate, 0);
        s.flux.append(f);
    }
    return s;
}

bool conteneurAccepte(const char* conteneur, int codec)
{
    const AVOutputFormat* f = av_guess_format(conteneur, nullptr, nullptr);
    return f && avformat_query_codec(f, static_cast<AVCodecID>(codec), FF_COMPLIANCE_NORMAL) == 1;
}

int codecAAC()
{
    return AV_CODEC_ID_AAC;
}

} // namespace Media
