#include "plateforme/media/EcrivainAudio.h"

#include "plateforme/media/Av.h"

extern "C" {
#include <libavutil/audio_fifo.h>
}

#include <cstdlib>
#include <cstring>
#include <vector>

namespace Media {

namespace {

AVCodecID codecPCM(int profondeur, bool grosBoutiste)
{
    if (profondeur > 16)
        return grosBoutiste ? AV_CODEC_ID_PCM_S24BE : AV_CODEC_ID_PCM_S24LE;
    return grosBoutiste ? AV_CODEC_ID_PCM_S16BE : AV_CODEC_ID_PCM_S16LE;
}

// PCM has no frame size of its own: blocks of this many frames.
constexpr int blocPCM = 8192;

// The rate nearest to `frequence` among those the encoder takes (AAC has a list; PCM any).
int frequenceAcceptee(const AVCodec* codec, int frequence)
{
    if (!codec->supported_samplerates)
        return frequence;
    int meilleure = codec->supported_samplerates[0];
    for (const int* f = codec->supported_samplerates; *f != 0; ++f)
        if (std::abs(*f - frequence) < std::abs(meilleure - frequence))
            meilleure = *f;
    return meilleure;
}

} // namespace

struct EcrivainAudio::Etat {
    FormatSortie format;
    Codec codeur;
    AVStream* flux = nullptr;
    Swr swr;
    std::unique_ptr<AVAudioFifo, void (*)(AVAudioFifo*)> fifo{nullptr, av_audio_fifo_free};
    Image image = nouvelleImage();
    Paquet paquet = nouveauPaquet();
    int taille = 0;
    int64_t pts = 0;
    std::vector<uint8_t*> plans;
    std::vector<uint8_t> tampon;

    void ouvrirCodeur(const ReglagesAudio& r)
    {
        const AVCodecID id = r.codage == ReglagesAudio::Codage::aac ? AV_CODEC_ID_AAC
                                                                    : codecPCM(r.profondeur, r.grosBoutiste);
        const AVCodec* codec = avcodec_find_encoder(id);
        if (!codec)
            echouer("pas de codeur");
        codeur.reset(avcodec_alloc_context3(codec));
        if (!codeur)
            throw std::bad_alloc();
        AVChannelLayout vide{};
        vide.order = AV_CHANNEL_ORDER_UNSPEC;
        vide.nb_channels = r.canaux;
        codeur->ch_layout = disposition(vide);
        codeur->sample_rate = frequenceAcceptee(codec, r.frequence);
        codeur->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
        codeur->time_base = AVRational{1, codeur->sample_rate};
        if (r.codage == ReglagesAudio::Codage::aac)
            codeur->bit_rate = r.debit;
        else
            codeur->bits_per_raw_sample = r.profondeur;
        if (format->oformat->flags & AVFMT_GLOBALHEADER)
            codeur->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        verifier(avcodec_open2(codeur.get(), codec, nullptr), "ouverture du codeur");
        taille = codeur->frame_size > 0 ? codeur->frame_size : blocPCM;
    }

    void envoyer(const AVFrame* f) { coder(codeur.get(), f, format.get(), flux, paquet.get()); }

    // Encodes whole frames from the fifo; with `tout`, the last partial one too.
    void vider(bool tout)
    {
        while (av_audio_fifo_size(fifo.get()) >= taille || (tout && av_audio_fifo_size(fifo.get()) > 0)) {
            const int n = std::min(taille, av_audio_fifo_size(fifo.get()));
            av_frame_unref(image.get());
            image->nb_samples = n;
            image->format = codeur->sample_fmt;
            image->sample_rate = codeur->sample_rate;
            verifier(av_channel_layout_copy(&image->ch_layout, &codeur->ch_layout), "disposition");
            verifier(av_frame_get_buffer(image.get(), 0), "mémoire");
            if (av_audio_fifo_read(fifo.get(), reinterpret_cast<void**>(image->extended_data), n) < n)
                echouer("lecture du tampon");
            image->pts = pts;
            pts += n;
            envoyer(image.get());
        }
    }

    void convertir(const float* const* canaux, int n)
    {
        const int place = swr_get_out_samples(swr.get(), n);
        if (place <= 0)
            return;
        const int plansSortie = av_sample_fmt_is_planar(codeur->sample_fmt) ? codeur->ch_layout.nb_channels : 1;
        int ligne = 0;
        const int octets = verifier(av_samples_get_buffer_size(&ligne, codeur->ch_layout.nb_channels, place,
                                                               codeur->sample_fmt, 1), "mémoire");
        tampon.resize(static_cast<size_t>(octets));
        plans.assign(static_cast<size_t>(plansSortie), nullptr);
        for (int p = 0; p < plansSortie; ++p)
            plans[p] = tampon.data() + static_cast<size_t>(p) * ligne;
        const int m = verifier(swr_convert(swr.get(), plans.data(), place,
                                           reinterpret_cast<const uint8_t**>(const_cast<const float**>(canaux)), n),
                               "conversion");
        if (m > 0 && av_audio_fifo_write(fifo.get(), reinterpret_cast<void**>(plans.data()), m) < m)
            echouer("mémoire");
    }
};

EcrivainAudio::EcrivainAudio(const QString& chemin, const ReglagesAudio& r) : e_(std::make_unique<Etat>())
{
    e_->format = ouvrirSortie(chemin);
    e_->ouvrirCodeur(r);
    e_->flux = avformat_new_stream(e_->format.get(), nullptr);
    if (!e_->flux)
        throw std::bad_alloc();
    verifier(avcodec_parameters_from_context(e_->flux->codecpar, e_->codeur.get()), "paramètres");
    e_->flux->time_base = e_->codeur->time_base;
    SwrContext* s = nullptr;
    verifier(swr_alloc_set_opts2(&s, &e_->codeur->ch_layout, e_->codeur->sample_fmt, e_->codeur->sample_rate,
                                 &e_->codeur->ch_layout, AV_SAMPLE_FMT_FLTP, r.frequence, 0, nullptr),
             "conversion");
    e_->swr.reset(s);
    verifier(swr_init(s), "conversion");
    e_->fifo.reset(av_audio_fifo_alloc(e_->codeur->sample_fmt, r.canaux, e_->taille));
    if (!e_->fifo)
        throw std::bad_alloc();
    // Past 4 GB a WAV's 32-bit sizes overflow: "auto" then writes RF64, whose sizes are 64-bit.
    AVDictionary* options = nullptr;
    if (std::strcmp(e_->format->oformat->name, "wav") == 0)
        av_dict_set(&options, "rf64", "auto", 0);
    const int code = avformat_write_header(e_->format.get(), &options);
    av_dict_free(&options);
    verifier(code, "en-tête");
}

EcrivainAudio::~EcrivainAudio() = default;

void EcrivainAudio::ecrire(const float* const* canaux, int n)
{
    if (n <= 0)
        return;
    e_->convertir(canaux, n);
    e_->vider(false);
}

void EcrivainAudio::terminer()
{
    e_->convertir(nullptr, 0);  // what the resampler still holds
    e_->vider(true);
    e_->envoyer(nullptr);
    verifier(av_write_trailer(e_->format.get()), "fin du fichier");
    verifier(avio_closep(&e_->format->pb), "fermeture");
}

} // namespace Media
