#include "plateforme/media/Sonde.h"
#include "plateforme/media/Av.h"

#include <QFile>
#include <algorithm>
#include <cmath>
#include <limits>
#include <sys/stat.h>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
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

bool Sondage::chiffre() const
{
    return std::any_of(flux.begin(), flux.end(),
                       [](const Flux& f) { return f.chiffre && f.type != TypeDeFlux::autre && !f.vignette; });
}

bool Sondage::courtPourSonEntete() const
{
    // Tags and headers only add bytes: a file short by more than a few hundredths of what its
    // sound needs lacks some of it.
    constexpr double marge = 0.95;
    const QList<Flux> sons = de(TypeDeFlux::son);
    return sons.size() == 1 && de(TypeDeFlux::video).isEmpty() && sons.first().debit > 0 && debit > 0
           && static_cast<double>(debit) < marge * static_cast<double>(sons.first().debit);
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

// The MP4 reader keeps a "pssh" box's data on its stream, the Matroska reader the key's name.
bool chiffre(const AVStream* st)
{
    return av_stream_get_side_data(st, AV_PKT_DATA_ENCRYPTION_INIT_INFO, nullptr) != nullptr
           || av_dict_get(st->metadata, "enc_key_id", nullptr, 0) != nullptr;
}

// Without a "pssh" box, an encrypted MP4 track says so only on its packets: the first one of
// each stream is read (reading costs no decoding).
void marquerLesChiffres(AVFormatContext* ctx, Sondage& s)
{
    constexpr int paquetsMax = 256;
    std::vector<bool> vus(ctx->nb_streams, false);
    qsizetype restants = ctx->nb_streams;
    const Paquet p = nouveauPaquet();
    for (int i = 0; i < paquetsMax && restants > 0 && av_read_frame(ctx, p.get()) >= 0; ++i) {
        const auto n = static_cast<size_t>(p->stream_index);
        if (n < vus.size() && !vus[n]) {
            vus[n] = true;
            --restants;
            if (av_packet_get_side_data(p.get(), AV_PKT_DATA_ENCRYPTION_INFO, nullptr))
                s.flux[static_cast<qsizetype>(n)].chiffre = true;
        }
        av_packet_unref(p.get());
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
        f.chiffre = chiffre(st);
        s.flux.append(f);
    }
    if (s.format.startsWith(QLatin1String("mov,")))
        marquerLesChiffres(c.ctx, s);
    return s;
}

bool imagesYuv444(const QString& chemin)
{
    try {
        // The guarded opener reads the first frames: the pixel format is known after it.
        const FormatEntree entree = ouvrirEntree(chemin);
        const int i = av_find_best_stream(entree.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
        if (i < 0)
            return false;
        const AVPixFmtDescriptor* d =
            av_pix_fmt_desc_get(static_cast<AVPixelFormat>(entree->streams[i]->codecpar->format));
        return d && d->nb_components == 3 && (d->flags & AV_PIX_FMT_FLAG_PLANAR) && !(d->flags & AV_PIX_FMT_FLAG_RGB)
               && d->log2_chroma_w == 0 && d->log2_chroma_h == 0 && d->comp[0].depth == 8;
    } catch (const std::exception&) {
        return false;
    }
}

double dureeLue(const QString& chemin)
{
    try {
        const FormatEntree entree = ouvrirEntree(chemin);
        const int i = av_find_best_stream(entree.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
        if (i < 0)
            return std::numeric_limits<double>::quiet_NaN();
        for (unsigned k = 0; k < entree->nb_streams; ++k)
            if (static_cast<int>(k) != i)
                entree->streams[k]->discard = AVDISCARD_ALL;
        const AVStream* flux = entree->streams[i];
        const int64_t debut = flux->start_time == AV_NOPTS_VALUE ? 0 : flux->start_time;
        int64_t fin = AV_NOPTS_VALUE;
        const Paquet p = nouveauPaquet();
        while (av_read_frame(entree.get(), p.get()) >= 0) {
            if (p->stream_index == i && p->pts != AV_NOPTS_VALUE) {
                const int64_t bout = p->pts + p->duration;
                fin = fin == AV_NOPTS_VALUE ? bout : std::max(fin, bout);
            }
            av_packet_unref(p.get());
        }
        if (fin == AV_NOPTS_VALUE)
            return std::numeric_limits<double>::quiet_NaN();
        return static_cast<double>(fin - debut) * av_q2d(flux->time_base);
    } catch (const std::exception&) {
        return std::numeric_limits<double>::quiet_NaN();
    }
}

bool fluxDecodable(const QString& chemin, int index)
{
    constexpr int paquetsMax = 48;
    try {
        const FormatEntree entree = ouvrirEntree(chemin);
        if (index < 0 || static_cast<unsigned>(index) >= entree->nb_streams)
            return false;
        const Codec decodeur = ouvrirDecodeur(entree->streams[index]);
        const Paquet p = nouveauPaquet();
        const Image image = nouvelleImage();
        int bons = 0;
        int mauvais = 0;
        while (bons + mauvais < paquetsMax && av_read_frame(entree.get(), p.get()) >= 0) {
            if (p->stream_index == index) {
                const int r = avcodec_send_packet(decodeur.get(), p.get());
                if (r < 0)
                    ++mauvais;
                while (r >= 0 && avcodec_receive_frame(decodeur.get(), image.get()) >= 0) {
                    (image->decode_error_flags ? mauvais : bons) += 1;
                    av_frame_unref(image.get());
                }
            }
            av_packet_unref(p.get());
        }
        // A damaged packet here and there is played through; a stream of them is no sound.
        return bons > 0 && mauvais * 4 <= bons + mauvais;
    } catch (const Echec&) {
        return false;
    }
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
