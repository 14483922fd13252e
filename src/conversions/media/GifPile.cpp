// Before Qt: glib's headers use a word that Qt turns into a macro.
#include <vips/vips8>

#include "conversions/media/GifPile.h"

#include "conversions/sorties/Annulation.h"

#include <QFile>
#include <algorithm>
#include <cstring>

namespace Conversions {

namespace {

// Frames held at once: more than the saver's threads ever read together.
constexpr int tailleAnneau = 24;

size_t octetsParImage(QSize t) { return static_cast<size_t>(t.width()) * t.height() * 3; }

} // namespace

uint8_t* PileGif::emplacement(int image)
{
    return anneau_.data() + octetsParImage(taille_) * static_cast<size_t>(image % places_);
}

uint8_t* PileGif::place(std::unique_lock<std::mutex>& l)
{
    signal_.wait(l, [this] { return arret_ || prets_ - rendus_ < places_; });
    return arret_ ? nullptr : emplacement(prets_);
}

void PileGif::publier(std::unique_lock<std::mutex>& l)
{
    if (!l.owns_lock())
        l.lock();
    ++prets_;
    signal_.notify_all();
}

void PileGif::ajouter(const QImage& image, int indice)
{
    const QImage rgb = (image.size() == taille_ ? image : image.scaled(taille_)).convertToFormat(QImage::Format_RGB888);
    std::unique_lock<std::mutex> l(verrou_);
    if (nombre_ < 0) {
        nombre_ = prevues_ - indice;
        places_ = std::min(nombre_, tailleAnneau);
        anneau_.resize(octetsParImage(taille_) * static_cast<size_t>(places_));
        lues_.assign(static_cast<size_t>(places_), 0);
        signal_.notify_all();
    }
    uint8_t* dest = place(l);
    if (!dest)
        return;
    // The slot is ours until published: copy without the lock.
    l.unlock();
    const size_t ligne = static_cast<size_t>(taille_.width()) * 3;
    for (int y = 0; y < taille_.height(); ++y)
        std::memcpy(dest + y * ligne, rgb.constScanLine(y), ligne);
    publier(l);
}

void PileGif::repeter()
{
    std::unique_lock<std::mutex> l(verrou_);
    uint8_t* dest = place(l);
    if (!dest)
        return;
    // The frame before stays in its slot until the ring comes round to it again.
    const uint8_t* avant = emplacement(prets_ - 1);
    l.unlock();
    if (avant != dest)
        std::memcpy(dest, avant, octetsParImage(taille_));
    publier(l);
}

void PileGif::finir(std::exception_ptr erreur)
{
    std::lock_guard<std::mutex> l(verrou_);
    fini_ = true;
    erreur_ = erreur;
    if (nombre_ < 0)
        nombre_ = 0;
    signal_.notify_all();
}

bool PileGif::arretee() const
{
    std::lock_guard<std::mutex> l(verrou_);
    return arret_;
}

void PileGif::arreter()
{
    std::lock_guard<std::mutex> l(verrou_);
    arret_ = true;
    signal_.notify_all();
}

std::exception_ptr PileGif::erreur() const
{
    std::lock_guard<std::mutex> l(verrou_);
    return erreur_;
}

int PileGif::nombre()
{
    std::unique_lock<std::mutex> l(verrou_);
    signal_.wait(l, [this] { return nombre_ >= 0; });
    return nombre_;
}

bool PileGif::ligne(int y, int x, int n, uint8_t* dest)
{
    const int image = y / taille_.height();
    std::unique_lock<std::mutex> l(verrou_);
    signal_.wait(l, [&] { return prets_ > image || fini_; });
    // A row asked again after its frame left the ring cannot be given.
    if (prets_ <= image || image < rendus_)
        return false;
    const uint8_t* source = emplacement(image);
    l.unlock();
    const size_t largeur = static_cast<size_t>(taille_.width()) * 3;
    std::memcpy(dest, source + static_cast<size_t>(y % taille_.height()) * largeur + static_cast<size_t>(x) * 3,
                static_cast<size_t>(n) * 3);
    l.lock();
    // Each row is read once; a frame whose rows are all read frees its slot, in order.
    if (x + n == taille_.width())
        ++lues_[static_cast<size_t>(image % places_)];
    while (rendus_ < prets_ && lues_[static_cast<size_t>(rendus_ % places_)] == taille_.height()) {
        lues_[static_cast<size_t>(rendus_ % places_)] = 0;
        ++rendus_;
        signal_.notify_all();
    }
    return true;
}

int PileGif::generer(VipsRegion* region, void*, void* a, void*, gboolean*)
{
    auto* pile = static_cast<PileGif*>(a);
    // A stopped engine does not wait for the frames already in the ring to be encoded.
    if (annulee()) {
        vips_error("gif", "%s", "annulée");
        return -1;
    }
    const VipsRect& r = region->valid;
    for (int y = r.top; y < r.top + r.height; ++y)
        if (!pile->ligne(y, r.left, r.width, reinterpret_cast<uint8_t*>(VIPS_REGION_ADDR(region, r.left, y)))) {
            vips_error("gif", "%s", "image manquante");
            return -1;
        }
    return 0;
}

void PileGif::enregistrer(const QString& chemin, const std::vector<int>& delaisMs)
{
    const int n = nombre();
    VipsImage* brute = vips_image_new();
    vips_image_init_fields(brute, taille_.width(), taille_.height() * n, 3, VIPS_FORMAT_UCHAR, VIPS_CODING_NONE,
                           VIPS_INTERPRETATION_sRGB, 1.0, 1.0);
    vips::VImage image(brute);  // owns it from here
    if (vips_image_pipelinev(brute, VIPS_DEMAND_STYLE_THINSTRIP, nullptr)
        || vips_image_generate(brute, nullptr, reinterpret_cast<VipsGenerateFn>(&PileGif::generer), nullptr, this,
                               nullptr))
        throw vips::VError();
    image.set("page-height", taille_.height());
    image.set("delay", std::vector<int>(delaisMs.end() - n, delaisMs.end()));
    image.set("loop", 0);
    // The fastest palette search: on sampled video frames the difference does not show.
    image.gifsave(QFile::encodeName(chemin).constData(), vips::VImage::option()->set("effort", 1));
}

} // namespace Conversions
