#include "plateforme/media/EcrivainH264.h"

#include "plateforme/media/Av.h"

extern "C" {
#include <libavutil/opt.h>
}

#include <algorithm>
#include <map>
#include <thread>

namespace Media {

namespace {

AVPixelFormat formatDe(const QImage& image)
{
    switch (image.format()) {
    case QImage::Format_RGB888:
        return AV_PIX_FMT_RGB24;
    case QImage::Format_RGBA8888:
    case QImage::Format_RGBX8888:
        return AV_PIX_FMT_RGBA;
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
        return Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? AV_PIX_FMT_BGRA : AV_PIX_FMT_ARGB;
    default:
        return AV_PIX_FMT_NONE;
    }
}

// How the encoder runs: each frame it holds costs about five bytes a pixel (the picture, its
// half-pixel planes, its quarter-size copy); each thread holds two, the look-ahead and the
// B-frames one each, the references four.
struct Allure {
    int fils;
    int anticipation;
    int imagesB;
    bool reduite;
};
constexpr int64_t octetsParPixel = 5;

int64_t octets(const Allure& a, int64_t pixels)
{
    return pixels * octetsParPixel * (2 * a.fils + a.anticipation + a.imagesB + 4);
}

Allure allure(int largeur, int hauteur, int64_t auPlus)
{
    const int64_t pixels = static_cast<int64_t>(largeur) * hauteur;
    // x264's own choice: one and a half threads a core, 40 frames ahead, 3 B-frames.
    Allure a{static_cast<int>(std::max(1U, std::thread::hardware_concurrency()) * 3 / 2), 40, 3, false};
    if (auPlus <= 0 || octets(a, pixels) <= auPlus)
        return a;
    a = {a.fils, 0, 0, true};
    while (a.fils > 1 && octets(a, pixels) > auPlus)
        --a.fils;
    return a;
}

} // namespace

int64_t EcrivainH264::memoire(int largeur, int hauteur, int64_t memoireAuPlus)
{
    return octets(allure(largeur, hauteur, memoireAuPlus), static_cast<int64_t>(largeur) * hauteur);
}

struct EcrivainH264::Etat {
    FormatSortie format;
    Codec codeur;
    AVStream* flux = nullptr;
    Sws sws;
    Image image = nouvelleImage();
    Paquet paquet = nouveauPaquet();
    // The encoder reorders frames: each one's duration, found again by its time.
    std::map<int64_t, int64_t> durees;

    void envoyer(const AVFrame* f)
    {
        coder(codeur.get(), f, format.get(), flux, paquet.get(), [this](AVPacket& p) {
            const auto d = durees.find(p.pts);
            if (d != durees.end()) {
                p.duration = d->second;
                durees.erase(d);
            }
        });
    }
};

EcrivainH264::EcrivainH264(const QString& chemin, int largeur, int hauteur, int64_t memoireAuPlus)
    : e_(std::make_unique<Etat>())
{
    const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
    if (!codec)
        echouer("pas de codeur H.264");
    e_->format = ouvrirSortie(chemin, "mp4");
    e_->codeur.reset(avcodec_alloc_context3(codec));
    if (!e_->codeur)
        throw std::bad_alloc();
    AVCodecContext* c = e_->codeur.get();
    c->width = largeur;
    c->height = hauteur;
    c->pix_fmt = AV_PIX_FMT_YUV420P;
    c->time_base = AVRational{1, echelle};
    c->framerate = AVRational{0, 1};
    c->thread_count = 0;
    if (const Allure a = allure(largeur, hauteur, memoireAuPlus); a.reduite) {
        c->thread_count = a.fils;
        c->max_b_frames = a.imagesB;
        verifier(av_opt_set_int(c->priv_data, "rc-lookahead", a.anticipation, 0), "réglages");
    }
    if (e_->format->oformat->flags & AVFMT_GLOBALHEADER)
        c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    verifier(avcodec_open2(c, codec, nullptr), "ouverture du codeur");
    e_->flux = avformat_new_stream(e_->format.get(), nullptr);
    if (!e_->flux)
        throw std::bad_alloc();
    verifier(avcodec_parameters_from_context(e_->flux->codecpar, c), "paramètres");
    e_->flux->time_base = c->time_base;
    AVDictionary* options = nullptr;
    av_dict_set_int(&options, "video_track_timescale", echelle, 0);
    const int r = avformat_write_header(e_->format.get(), &options);
    av_dict_free(&options);
    verifier(r, "en-tête");

    e_->image = imageAlignee(c->pix_fmt, largeur, hauteur);
}

EcrivainH264::~EcrivainH264() = default;

void EcrivainH264::ajouter(const QImage& source, int64_t debut, int64_t duree)
{
    Etat& e = *e_;
    QImage image = source;
    AVPixelFormat fmt = formatDe(image);
    if (fmt == AV_PIX_FMT_NONE) {
        image = source.convertToFormat(QImage::Format_RGB888);
        fmt = AV_PIX_FMT_RGB24;
    }
    AVCodecContext* c = e.codeur.get();
    e.sws.reset(sws_getCachedContext(e.sws.release(), image.width(), image.height(), fmt, c->width, c->height,
                                     c->pix_fmt, SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (!e.sws)
        echouer("mise à l’échelle");
    // The encoder may still hold the previous picture.
    verifier(av_frame_make_writable(e.image.get()), "mémoire");
    const Image entree = copieAlignee(image, fmt);
    verifier(sws_scale(e.sws.get(), entree->data, entree->linesize, 0, image.height(), e.image->data,
                       e.image->linesize),
             "mise à l’échelle");
    e.image->pts = debut;
    e.durees[debut] = duree;
    e.envoyer(e.image.get());
}

void EcrivainH264::terminer()
{
    e_->envoyer(nullptr);
    verifier(av_write_trailer(e_->format.get()), "fin du fichier");
    verifier(avio_closep(&e_->format->pb), "fermeture");
}

} // namespace Media
