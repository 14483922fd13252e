#include "plateforme/media/LecteurAudio.h"

#include "plateforme/media/Av.h"

extern "C" {
#include <libavutil/audio_fifo.h>
}

#include <algorithm>
#include <cmath>
#include <vector>

namespace Media {

struct LecteurAudio::Etat {
    FormatEntree format;
    Codec decodeur;
    int flux = -1;
    AVChannelLayout sortie{};
    int frequence = 0;
    Swr swr;
    // What the resampler was set up for; a change midway sets it up again.
    AVChannelLayout entree{};
    int frequenceEntree = 0;
    int formatEntree = -1;
    std::unique_ptr<AVAudioFifo, void (*)(AVAudioFifo*)> fifo{nullptr, av_audio_fifo_free};
    Paquet paquet = nouveauPaquet();
    Image image = nouvelleImage();
    std::vector<std::vector<float>> bloc;
    std::vector<float> tampon;
    int64_t position = 0;
    bool finLecture = false;
    bool finDecodeur = false;
    // After a seek: the time asked, and the frames still to drop before it.
    double depuis = -1;
    int64_t aJeter = 0;

    ~Etat()
    {
        av_channel_layout_uninit(&sortie);
        av_channel_layout_uninit(&entree);
    }

    void preparerSwr(const AVFrame* f)
    {
        AVChannelLayout d = disposition(f->ch_layout);
        if (swr && f->sample_rate == frequenceEntree && f->format == formatEntree
            && av_channel_layout_compare(&d, &entree) == 0) {
            av_channel_layout_uninit(&d);
            return;
        }
        av_channel_layout_uninit(&entree);
        entree = d;
        frequenceEntree = f->sample_rate;
        formatEntree = f->format;
        SwrContext* s = nullptr;
        verifier(swr_alloc_set_opts2(&s, &sortie, AV_SAMPLE_FMT_FLTP, frequence, &entree,
                                     static_cast<AVSampleFormat>(f->format), f->sample_rate, 0, nullptr),
                 "rééchantillonneur");
        swr.reset(s);
        verifier(swr_init(s), "rééchantillonneur");
    }

    // Converts one decoded frame (or drains the resampler when `f` is null) into the fifo.
    void convertir(const AVFrame* f)
    {
        if (!swr && !f)
            return;
        if (f)
            preparerSwr(f);
        const int entrees = f ? f->nb_samples : 0;
        const int place = swr_get_out_samples(swr.get(), entrees);
        if (place <= 0)
            return;
        tampon.resize(static_cast<size_t>(place) * sortie.nb_channels);
        std::vector<uint8_t*> plans(sortie.nb_channels);
        for (int c = 0; c < sortie.nb_channels; ++c)
            plans[c] = reinterpret_cast<uint8_t*>(tampon.data() + static_cast<size_t>(c) * place);
        const int n = verifier(swr_convert(swr.get(), plans.data(), place,
                                           f ? const_cast<const uint8_t**>(f->extended_data) : nullptr, entrees),
                               "rééchantillonnage");
        if (n > 0 && av_audio_fifo_write(fifo.get(), reinterpret_cast<void**>(plans.data()), n) < n)
            echouer("mémoire");
    }

    void recevoir()
    {
        for (;;) {
            const int r = avcodec_receive_frame(decodeur.get(), image.get());
            if (r == AVERROR(EAGAIN))
                return;
            if (r == AVERROR_EOF) {
                finDecodeur = true;
                convertir(nullptr);
                return;
            }
            // A damaged frame (the last one of a cut file, most often) is skipped, as players do.
            if (r == AVERROR_INVALIDDATA)
                continue;
            verifier(r, "décodage");
            if (depuis >= 0)
                mesurerAvance(image.get());
            convertir(image.get());
            av_frame_unref(image.get());
            const int jete = static_cast<int>(std::min<int64_t>(aJeter, av_audio_fifo_size(fifo.get())));
            if (jete > 0) {
                av_audio_fifo_drain(fifo.get(), jete);
                aJeter -= jete;
            }
        }
    }

    // The first frame after a seek: how much of it, and of what follows, lies before the
    // time asked.
    void mesurerAvance(const AVFrame* f)
    {
        const AVStream* s = format->streams[flux];
        int64_t ts = f->best_effort_timestamp;
        if (ts == AV_NOPTS_VALUE)
            ts = f->pts;
        if (ts != AV_NOPTS_VALUE) {
            if (s->start_time != AV_NOPTS_VALUE)
                ts -= s->start_time;
            const double debut = static_cast<double>(ts) * av_q2d(s->time_base);
            aJeter = std::max<int64_t>(0, std::llround((depuis - debut) * frequence));
        }
        depuis = -1;
    }

    // Decodes until the fifo holds `n` frames or the sound ends.
    void remplir(int n)
    {
        while (av_audio_fifo_size(fifo.get()) < n && !finDecodeur) {
            alimenter(format.get(), decodeur.get(), flux, paquet.get(), finLecture);
            recevoir();
        }
    }
};

LecteurAudio::LecteurAudio(const QString& chemin, int frequence, int canaux) : e_(std::make_unique<Etat>())
{
    e_->format = ouvrirEntree(chemin);
    e_->flux = av_find_best_stream(e_->format.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    verifier(e_->flux, "pas de son");
    const AVStream* s = e_->format->streams[e_->flux];
    e_->decodeur = ouvrirDecodeur(s);
    e_->frequence = frequence > 0 ? frequence : e_->decodeur->sample_rate;
    if (canaux > 0)
        av_channel_layout_default(&e_->sortie, canaux);
    else
        e_->sortie = disposition(e_->decodeur->ch_layout);
    if (e_->frequence <= 0 || e_->sortie.nb_channels <= 0)
        echouer("format de son inconnu");
    for (unsigned i = 0; i < e_->format->nb_streams; ++i)
        if (static_cast<int>(i) != e_->flux)
            e_->format->streams[i]->discard = AVDISCARD_ALL;
    e_->fifo.reset(av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, e_->sortie.nb_channels, 32768));
    if (!e_->fifo)
        throw std::bad_alloc();
    e_->bloc.resize(e_->sortie.nb_channels);
}

LecteurAudio::~LecteurAudio() = default;

int LecteurAudio::canaux() const { return e_->sortie.nb_channels; }
int LecteurAudio::frequence() const { return e_->frequence; }
int64_t LecteurAudio::position() const { return e_->position; }

int64_t LecteurAudio::longueur() const
{
    const AVStream* s = e_->format->streams[e_->flux];
    if (s->duration != AV_NOPTS_VALUE && s->duration > 0)
        return av_rescale_q(s->duration, s->time_base, AVRational{1, e_->frequence});
    if (e_->format->duration != AV_NOPTS_VALUE && e_->format->duration > 0)
        return av_rescale_q(e_->format->duration, AVRational{1, AV_TIME_BASE}, AVRational{1, e_->frequence});
    return 0;
}

double LecteurAudio::avancement() const
{
    const double total = static_cast<double>(std::max<int64_t>(longueur(), 1));
    return std::min(1.0, static_cast<double>(e_->position) / total);
}

int LecteurAudio::profondeurPCM() const
{
    const AVCodecDescriptor* d = avcodec_descriptor_get(e_->decodeur->codec_id);
    // Raw PCM codecs are the lossless intra-only ones named pcm_*.
    if (!d || QByteArray(d->name).startsWith("pcm_") == false)
        return 0;
    return av_get_bits_per_sample(e_->decodeur->codec_id);
}

int LecteurAudio::lire(int capacite)
{
    e_->remplir(capacite);
    const int n = std::min(capacite, av_audio_fifo_size(e_->fifo.get()));
    std::vector<void*> plans(e_->bloc.size());
    for (size_t c = 0; c < e_->bloc.size(); ++c) {
        e_->bloc[c].resize(static_cast<size_t>(std::max(n, 1)));
        plans[c] = e_->bloc[c].data();
    }
    if (n > 0 && av_audio_fifo_read(e_->fifo.get(), plans.data(), n) < n)
        echouer("lecture du tampon");
    e_->position += n;
    return n;
}

bool LecteurAudio::chercher(double secondes)
{
    Etat& e = *e_;
    const AVStream* s = e.format->streams[e.flux];
    secondes = std::max(secondes, 0.0);
    int64_t ts = static_cast<int64_t>(std::max(secondes - 0.3, 0.0) / av_q2d(s->time_base));
    if (s->start_time != AV_NOPTS_VALUE)
        ts += s->start_time;
    if (av_seek_frame(e.format.get(), e.flux, ts, AVSEEK_FLAG_BACKWARD) < 0)
        return false;
    avcodec_flush_buffers(e.decodeur.get());
    e.swr.reset();
    av_audio_fifo_reset(e.fifo.get());
    e.finLecture = e.finDecodeur = false;
    e.depuis = secondes;
    e.aJeter = 0;
    e.position = std::llround(secondes * e.frequence);
    return true;
}

const float* LecteurAudio::canal(int c) const { return e_->bloc.at(static_cast<size_t>(c)).data(); }

} // namespace Media
