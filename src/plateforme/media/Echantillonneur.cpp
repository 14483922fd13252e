#include "plateforme/media/Echantillonneur.h"

#include "plateforme/media/Av.h"
#include "plateforme/media/Orientation.h"

#include <cmath>
#include <limits>

namespace Media {

namespace {

// Beyond this many seconds ahead, a seek costs less than decoding through.
constexpr double saut = 4.0;

} // namespace

struct Echantillonneur::Etat {
    FormatEntree format;
    Codec decodeur;
    AVStream* flux = nullptr;
    Orientation orientation;
    QSize echelle;   // scaled size before the rotation
    Sws sws;
    Paquet paquet = nouveauPaquet();
    Image precedente;   // the last frame at or before the time asked
    Image attente;      // the first frame after it, decoded but not used yet
    double derniere = -std::numeric_limits<double>::infinity();
    bool fin = false;
    bool finLecture = false;

    double secondes(const AVFrame* f) const
    {
        int64_t ts = f->best_effort_timestamp;
        if (ts == AV_NOPTS_VALUE)
            ts = f->pts;
        if (ts == AV_NOPTS_VALUE)
            return derniere;
        if (flux->start_time != AV_NOPTS_VALUE)
            ts -= flux->start_time;
        return static_cast<double>(ts) * av_q2d(flux->time_base);
    }

    bool inutile(const AVPacket* p, double avant) const
    {
        if (p->pts == AV_NOPTS_VALUE)
            return false;
        int64_t ts = p->pts;
        if (flux->start_time != AV_NOPTS_VALUE)
            ts -= flux->start_time;
        return static_cast<double>(ts) * av_q2d(flux->time_base) < avant;
    }

    // The next decoded frame, or null at the end. Frames shown before `avant` are of no
    // use: those that no other frame refers to are not even decoded.
    Image suivante(double avant)
    {
        Image f = nouvelleImage();
        while (!fin) {
            const int r = avcodec_receive_frame(decodeur.get(), f.get());
            if (r == 0) {
                derniere = secondes(f.get());
                return f;
            }
            if (r == AVERROR_EOF) {
                fin = true;
                break;
            }
            if (r != AVERROR(EAGAIN))
                verifier(r, "décodage");
            alimenter(format.get(), decodeur.get(), flux->index, paquet.get(), finLecture, [&](const AVPacket& p) {
                decodeur->skip_frame = inutile(&p, avant) ? AVDISCARD_NONREF : AVDISCARD_DEFAULT;
            });
        }
        return {};
    }

    void chercher(double t)
    {
        double depuis = t;
        if (flux->start_time != AV_NOPTS_VALUE)
            depuis += static_cast<double>(flux->start_time) * av_q2d(flux->time_base);
        const int64_t ts = static_cast<int64_t>(std::floor(depuis / av_q2d(flux->time_base)));
        if (av_seek_frame(format.get(), flux->index, ts, AVSEEK_FLAG_BACKWARD) < 0)
            return;  // not seekable: decoding on from here is all that is left
        avcodec_flush_buffers(decodeur.get());
        precedente.reset();
        attente.reset();
        derniere = -std::numeric_limits<double>::infinity();
        fin = finLecture = false;
    }

    QImage convertir(const AVFrame* f)
    {
        sws.reset(sws_getCachedContext(sws.release(), f->width, f->height, static_cast<AVPixelFormat>(f->format),
                                       echelle.width(), echelle.height(), AV_PIX_FMT_RGB24, SWS_AREA,
                                       nullptr, nullptr, nullptr));
        if (!sws)
            echouer("mise à l’échelle");
        const Image rgb = imageAlignee(AV_PIX_FMT_RGB24, echelle.width(), echelle.height());
        verifier(sws_scale(sws.get(), f->data, f->linesize, 0, f->height, rgb->data, rgb->linesize),
                 "mise à l’échelle");
        return orientation.appliquer(versQImage(*rgb, QImage::Format_RGB888));
    }
};

Echantillonneur::Echantillonneur(const QString& chemin, QSize boite) : e_(std::make_unique<Etat>())
{
    e_->format = ouvrirEntree(chemin);
    const int i = verifier(av_find_best_stream(e_->format.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0),
                           "pas d’image");
    e_->flux = e_->format->streams[i];
    for (unsigned k = 0; k < e_->format->nb_streams; ++k)
        if (static_cast<int>(k) != i)
            e_->format->streams[k]->discard = AVDISCARD_ALL;
    e_->decodeur = ouvrirDecodeur(e_->flux);
    const AVCodecParameters* p = e_->flux->codecpar;
    if (p->width <= 0 || p->height <= 0)
        echouer("taille inconnue");
    e_->orientation = orientation(reinterpret_cast<const int32_t*>(
        av_stream_get_side_data(e_->flux, AV_PKT_DATA_DISPLAYMATRIX, nullptr)));
    // Non-square pixels are shown wider or narrower than stored.
    const AVRational sar = av_guess_sample_aspect_ratio(e_->format.get(), e_->flux, nullptr);
    const double largeur = sar.num > 0 && sar.den > 0 ? p->width * av_q2d(sar) : p->width;
    QSizeF affichee(largeur, p->height);
    if (e_->orientation.couchee())
        affichee.transpose();
    if (affichee.width() > boite.width() || affichee.height() > boite.height())
        affichee.scale(boite, Qt::KeepAspectRatio);
    QSize taille(std::max(1, static_cast<int>(std::lround(affichee.width()))),
                 std::max(1, static_cast<int>(std::lround(affichee.height()))));
    if (e_->orientation.couchee())
        taille.transpose();
    e_->echelle = taille;
}

Echantillonneur::~Echantillonneur() = default;

double Echantillonneur::duree() const
{
    const AVFormatContext* f = e_->format.get();
    if (f->duration != AV_NOPTS_VALUE)
        return static_cast<double>(f->duration) / AV_TIME_BASE;
    if (e_->flux->duration != AV_NOPTS_VALUE)
        return static_cast<double>(e_->flux->duration) * av_q2d(e_->flux->time_base);
    return std::numeric_limits<double>::quiet_NaN();
}

QSize Echantillonneur::taille() const
{
    return e_->orientation.couchee() ? e_->echelle.transposed() : e_->echelle;
}

QImage Echantillonneur::image(double t, double tolerance)
{
    Etat& e = *e_;
    const double vu = e.attente ? e.secondes(e.attente.get()) : e.derniere;
    // From the key frame at or before t: every frame before that one lies further from t.
    if (t + tolerance < vu || t - vu > saut)
        e.chercher(t);
    for (;;) {
        Image f = e.attente ? std::move(e.attente) : e.suivante(t - tolerance);
        if (!f)
            break;
        if (e.secondes(f.get()) <= t) {
            e.precedente = std::move(f);
            continue;
        }
        e.attente = std::move(f);
        break;
    }
    // Of the frames on either side of t, the nearer one within the tolerance.
    const AVFrame* choix = nullptr;
    double ecart = tolerance;
    for (const Image* candidat : {&e.precedente, &e.attente}) {
        if (!*candidat)
            continue;
        const double d = std::abs(e.secondes(candidat->get()) - t);
        if (d <= ecart) {
            ecart = d;
            choix = candidat->get();
        }
    }
    return choix ? e.convertir(choix) : QImage();
}

} // namespace Media
