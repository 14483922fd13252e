#include "conversions/images/Png.h"

#include "conversions/travail/EnParallele.h"
#include "conversions/sorties/FichierDeSortie.h"
#include "conversions/Chemins.h"
#include "conversions/Erreur.h"

#include <QFile>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <utility>
#include <vector>
#include <zlib.h>

using vips::VImage;

namespace Conversions {

namespace {

using Octets = std::vector<std::uint8_t>;

constexpr int niveau = 6;
constexpr std::size_t fenetre = 32768;            // how far back deflate may refer
constexpr std::size_t octetsParTranche = 1 << 20;  // raw bytes compressed by one thread at a time

// Only 8 or 16 bits, grey or sRGB, up to one alpha band, as the format allows.
VImage pourPng(const VImage& image)
{
    VImage r = image;
    const VipsBandFormat f = r.format();
    const bool seize = f == VIPS_FORMAT_USHORT || f == VIPS_FORMAT_SHORT || f == VIPS_FORMAT_UINT
        || f == VIPS_FORMAT_INT;
    switch (r.interpretation()) {
    case VIPS_INTERPRETATION_CMYK:
    case VIPS_INTERPRETATION_LAB:
    case VIPS_INTERPRETATION_LABS:
    case VIPS_INTERPRETATION_LCH:
    case VIPS_INTERPRETATION_CMC:
    case VIPS_INTERPRETATION_XYZ:
    case VIPS_INTERPRETATION_YXY:
    case VIPS_INTERPRETATION_HSV:
        r = r.colourspace(seize ? VIPS_INTERPRETATION_RGB16 : VIPS_INTERPRETATION_sRGB);
        break;
    case VIPS_INTERPRETATION_scRGB:
        r = huitBits(r);
        break;
    default:
        // Grey floats are linear light like their colour kin: huitBits knows them.
        if (vips_band_format_isfloat(f))
            r = huitBits(r);
        break;
    }
    const bool gris = r.interpretation() == VIPS_INTERPRETATION_B_W
        || r.interpretation() == VIPS_INTERPRETATION_GREY16 || r.bands() < 3;
    const int bandes = gris ? 2 : 4;
    if (r.bands() > bandes)
        r = r.extract_band(0, VImage::option()->set("n", bandes));
    const VipsBandFormat voulu = seize ? VIPS_FORMAT_USHORT : VIPS_FORMAT_UCHAR;
    return r.format() == voulu ? r : r.cast(voulu);
}

// The file, chunk by chunk; any failed write is a failed conversion.
class FichierPng {
public:
    explicit FichierPng(const QString& chemin) : fichier_(chemin, nomDe(chemin))
    {
        ecrire(reinterpret_cast<const std::uint8_t*>("\x89PNG\r\n\x1a\n"), 8);
    }

    void morceau(const char* type, std::initializer_list<std::pair<const std::uint8_t*, std::size_t>> parties)
    {
        std::size_t longueur = 0;
        for (const auto& [d, n] : parties)
            longueur += n;
        if (longueur > 0x7fffffffu)
            echec();
        std::uint8_t entete[8];
        grandBoutiste(entete, static_cast<std::uint32_t>(longueur));
        std::memcpy(entete + 4, type, 4);
        ecrire(entete, 8);
        uLong crc = crc32(0, entete + 4, 4);
        for (const auto& [d, n] : parties) {
            if (n == 0)
                continue;  // zlib answers 0 for a null buffer
            ecrire(d, n);
            crc = crc32_z(crc, d, n);
        }
        std::uint8_t fin[4];
        grandBoutiste(fin, static_cast<std::uint32_t>(crc));
        ecrire(fin, 4);
    }

    void morceau(const char* type, const Octets& donnees) { morceau(type, {{donnees.data(), donnees.size()}}); }

    void fermer()
    {
        try {
            fichier_.fermer();
        } catch (const Erreur&) {
            echec();  // a full disk goes on as the system's error
        }
    }

    static void grandBoutiste(std::uint8_t* o, std::uint32_t v)
    {
        o[0] = static_cast<std::uint8_t>(v >> 24);
        o[1] = static_cast<std::uint8_t>(v >> 16);
        o[2] = static_cast<std::uint8_t>(v >> 8);
        o[3] = static_cast<std::uint8_t>(v);
    }

private:
    void ecrire(const std::uint8_t* d, std::size_t n)
    {
        if (!fichier_.essayer(d, n))
            fermer();  // throws what the system said: a full disk as such
    }
    // As libvips' own writers fail: the caller names the output, not this temporary.
    [[noreturn]] static void echec()
    {
        vips_error("pngsave", "%s", "unable to write to target");
        throw vips::VError();
    }

    FichierDeSortie fichier_;
};

std::uint8_t paeth(int a, int b, int c)
{
    const int pa = std::abs(b - c);
    const int pb = std::abs(a - c);
    const int pc = std::abs(a + b - 2 * c);
    return static_cast<std::uint8_t>(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

std::uint64_t somme(const std::uint8_t* d, std::size_t n)
{
    std::uint64_t s = 0;
    for (std::size_t i = 0; i < n; ++i)
        s += static_cast<unsigned>(std::abs(static_cast<int>(static_cast<std::int8_t>(d[i]))));
    return s;
}

// One row through the five filters; the one whose bytes, read as signed, add up to the
// least in size wins, ties going to the simpler filter (libpng's adaptive choice).
// `essais` holds 4·n bytes; `sortie` receives the filter byte and n bytes.
void filtrer(const std::uint8_t* haut, const std::uint8_t* x, std::size_t n, std::size_t bpp,
             std::uint8_t* essais, std::uint8_t* sortie)
{
    std::uint8_t* sub = essais;
    std::uint8_t* up = essais + n;
    std::uint8_t* moy = essais + 2 * n;
    std::uint8_t* pae = essais + 3 * n;
    for (std::size_t i = 0; i < bpp && i < n; ++i) {
        sub[i] = x[i];
        up[i] = static_cast<std::uint8_t>(x[i] - haut[i]);
        moy[i] = static_cast<std::uint8_t>(x[i] - (haut[i] >> 1));
        pae[i] = static_cast<std::uint8_t>(x[i] - haut[i]);
    }
    for (std::size_t i = bpp; i < n; ++i) {
        sub[i] = static_cast<std::uint8_t>(x[i] - x[i - bpp]);
        up[i] = static_cast<std::uint8_t>(x[i] - haut[i]);
        moy[i] = static_cast<std::uint8_t>(x[i] - ((x[i - bpp] + haut[i]) >> 1));
    }
    for (std::size_t i = bpp; i < n; ++i)
        pae[i] = static_cast<std::uint8_t>(x[i] - paeth(x[i - bpp], haut[i], haut[i - bpp]));
    const std::uint8_t* choix = x;
    std::uint8_t type = 0;
    std::uint64_t meilleure = somme(x, n);
    for (std::uint8_t t = 1; t <= 4; ++t) {
        const std::uint8_t* essai = essais + (t - 1) * n;
        const std::uint64_t s = somme(essai, n);
        if (s < meilleure) {
            meilleure = s;
            choix = essai;
            type = t;
        }
    }
    sortie[0] = type;
    std::memcpy(sortie + 1, choix, n);
}

struct Tranche {
    int premiere = 0;  // row in the batch buffer
    int lignes = 0;
    Octets filtree;
    Octets compressee;
    uLong adler = 1;
};

// Raw deflate of `t`, primed with the bytes that precede it in the stream, ended on a
// byte boundary (or as the stream's last block) so slices can be laid end to end.
void compresser(Tranche& t, const std::uint8_t* dico, std::size_t tailleDico, bool derniere)
{
    z_stream z{};
    if (deflateInit2(&z, niveau, Z_DEFLATED, -15, 8, Z_FILTERED) != Z_OK)
        throw std::bad_alloc();
    struct Fin {
        z_stream& z;
        ~Fin() { deflateEnd(&z); }
    } fin{z};
    if (tailleDico > 0 && deflateSetDictionary(&z, dico, static_cast<uInt>(tailleDico)) != Z_OK)
        throw std::bad_alloc();
    t.compressee.resize(deflateBound(&z, t.filtree.size()) + 64);
    z.next_in = t.filtree.data();
    z.avail_in = static_cast<uInt>(t.filtree.size());
    std::size_t ecrits = 0;
    for (;;) {
        z.next_out = t.compressee.data() + ecrits;
        z.avail_out = static_cast<uInt>(t.compressee.size() - ecrits);
        const int r = deflate(&z, derniere ? Z_FINISH : Z_SYNC_FLUSH);
        ecrits = t.compressee.size() - z.avail_out;
        if (r == Z_STREAM_END || (!derniere && r == Z_OK && z.avail_in == 0 && z.avail_out > 0))
            break;
        if (r != Z_OK && r != Z_BUF_ERROR)
            throw std::bad_alloc();
        t.compressee.resize(t.compressee.size() * 2);
    }
    t.compressee.resize(ecrits);
    t.adler = adler32_z(1, t.filtree.data(), t.filtree.size());
}

// Rows come in order; every batch of slices is filtered, then compressed, on `fils` threads.
class Compression {
public:
    Compression(FichierPng& fichier, std::size_t octetsLigne, std::size_t bpp, int hauteur, int fils)
        : fichier_(fichier), n_(octetsLigne), bpp_(bpp), restantes_(hauteur), fils_(fils),
          lignesParTranche_(static_cast<int>(std::max<std::size_t>(1, octetsParTranche / octetsLigne))),
          lignesParLot_(lignesParTranche_ * std::max(1, 2 * fils)),
          lot_((static_cast<std::size_t>(lignesParLot_) + 1) * octetsLigne, 0)
    {
    }

    void ajouter(const std::uint8_t* ligne)
    {
        std::memcpy(lot_.data() + (static_cast<std::size_t>(lignes_) + 1) * n_, ligne, n_);
        ++lignes_;
        --restantes_;
        if (restantes_ == 0 || lignes_ == lignesParLot_)
            traiterLot(restantes_ == 0);
    }

    bool fini() const { return restantes_ == 0 && lignes_ == 0; }

private:
    const std::uint8_t* ligne(int i) const { return lot_.data() + static_cast<std::size_t>(i) * n_; }

    void traiterLot(bool dernier)
    {
        std::vector<Tranche> tranches((lignes_ + lignesParTranche_ - 1) / lignesParTranche_);
        for (std::size_t k = 0; k < tranches.size(); ++k) {
            tranches[k].premiere = 1 + static_cast<int>(k) * lignesParTranche_;
            tranches[k].lignes = std::min(lignesParTranche_, lignes_ + 1 - tranches[k].premiere);
        }
        const int n = static_cast<int>(tranches.size());
        enParallele(n, fils_, [&](int k) {
            Tranche& t = tranches[k];
            t.filtree.resize(static_cast<std::size_t>(t.lignes) * (n_ + 1));
            Octets essais(4 * n_);
            for (int i = 0; i < t.lignes; ++i)
                filtrer(ligne(t.premiere + i - 1), ligne(t.premiere + i), n_, bpp_, essais.data(),
                        t.filtree.data() + static_cast<std::size_t>(i) * (n_ + 1));
        });
        enParallele(n, fils_, [&](int k) {
            const Octets& avant = k == 0 ? dictionnaire_ : tranches[k - 1].filtree;
            const std::size_t taille = std::min(fenetre, avant.size());
            compresser(tranches[k], avant.data() + avant.size() - taille, taille, dernier && k == n - 1);
        });
        for (Tranche& t : tranches)
            ecrire(t);
        if (dernier) {
            std::uint8_t somme[4];
            FichierPng::grandBoutiste(somme, static_cast<std::uint32_t>(adler_));
            fichier_.morceau("IDAT", {{somme, 4}});
        }
        const Octets& derniere = tranches.back().filtree;
        const std::size_t garde = std::min(fenetre, derniere.size());
        dictionnaire_.assign(derniere.end() - static_cast<std::ptrdiff_t>(garde), derniere.end());
        std::memcpy(lot_.data(), ligne(lignes_), n_);  // the row above the next batch
        lignes_ = 0;
    }

    void ecrire(const Tranche& t)
    {
        adler_ = adler32_combine(adler_, t.adler, static_cast<z_off_t>(t.filtree.size()));
        if (entete_) {
            static const std::uint8_t zlib[2] = {0x78, 0x9c};  // deflate, 32 KiB window, level 6
            fichier_.morceau("IDAT", {{zlib, 2}, {t.compressee.data(), t.compressee.size()}});
            entete_ = false;
        } else {
            fichier_.morceau("IDAT", t.compressee);
        }
    }

    FichierPng& fichier_;
    const std::size_t n_;
    const std::size_t bpp_;
    int restantes_;
    const int fils_;
    const int lignesParTranche_;
    const int lignesParLot_;
    Octets lot_;  // the row above, then the batch's rows
    int lignes_ = 0;
    Octets dictionnaire_;
    uLong adler_ = 1;
    bool entete_ = true;
};

// libpng's first checks: a profile that readers would refuse is better left out.
bool profilAcceptable(const std::uint8_t* icc, std::size_t n, bool gris)
{
    if (n < 132)
        return false;
    const std::uint32_t declaree = static_cast<std::uint32_t>(icc[0]) << 24 | icc[1] << 16 | icc[2] << 8 | icc[3];
    return declaree == n && std::memcmp(icc + 36, "acsp", 4) == 0
        && std::memcmp(icc + 16, gris ? "GRAY" : "RGB ", 4) == 0;
}

void ecrireProfil(FichierPng& fichier, const VImage& image, bool gris)
{
    if (image.get_typeof(VIPS_META_ICC_NAME) == 0)
        return;
    size_t n = 0;
    const auto* icc = static_cast<const std::uint8_t*>(image.get_blob(VIPS_META_ICC_NAME, &n));
    if (!profilAcceptable(icc, n, gris))
        return;
    Octets compresse(compressBound(n));
    uLongf taille = compresse.size();
    if (compress2(compresse.data(), &taille, icc, n, niveau) != Z_OK)
        return;
    static const std::uint8_t nom[5] = {'i', 'c', 'c', 0, 0};  // name, then deflate
    fichier.morceau("iCCP", {{nom, 5}, {compresse.data(), taille}});
}

void ecrireExif(FichierPng& fichier, const VImage& image)
{
    if (image.get_typeof(VIPS_META_EXIF_NAME) == 0)
        return;
    size_t n = 0;
    const auto* exif = static_cast<const std::uint8_t*>(image.get_blob(VIPS_META_EXIF_NAME, &n));
    if (n >= 6 && std::memcmp(exif, "Exif\0\0", 6) == 0) {  // PNG keeps the TIFF data alone
        exif += 6;
        n -= 6;
    }
    if (n >= 8 && (std::memcmp(exif, "MM\0*", 4) == 0 || std::memcmp(exif, "II*\0", 4) == 0))
        fichier.morceau("eXIf", {{exif, n}});
}

void ecrireEntete(FichierPng& fichier, const VImage& pixels, bool seize)
{
    static const std::uint8_t couleurs[5] = {0, 0, 4, 2, 6};  // by number of bands
    std::uint8_t ihdr[13] = {};
    FichierPng::grandBoutiste(ihdr, static_cast<std::uint32_t>(pixels.width()));
    FichierPng::grandBoutiste(ihdr + 4, static_cast<std::uint32_t>(pixels.height()));
    ihdr[8] = seize ? 16 : 8;
    ihdr[9] = couleurs[pixels.bands()];
    fichier.morceau("IHDR", {{ihdr, 13}});
}

void ecrireResolution(FichierPng& fichier, const VImage& pixels)
{
    const auto parMetre = [](double parMm) {
        return static_cast<std::uint32_t>(std::clamp(parMm * 1000.0 + 0.5, 0.0, 2147483647.0));
    };
    const std::uint32_t x = parMetre(pixels.xres());
    const std::uint32_t y = parMetre(pixels.yres());
    if (x == 0 || y == 0)  // no resolution known: readers take a zero as an error
        return;
    std::uint8_t phys[9] = {};
    FichierPng::grandBoutiste(phys, x);
    FichierPng::grandBoutiste(phys + 4, y);
    phys[8] = 1;  // per metre
    fichier.morceau("pHYs", {{phys, 9}});
}

} // namespace

void ecrirePng(const VImage& image, const QString& chemin, bool nu)
{
    const VImage pixels = pourPng(image);
    const bool seize = pixels.format() == VIPS_FORMAT_USHORT;
    const std::size_t bpp = static_cast<std::size_t>(pixels.bands()) * (seize ? 2 : 1);
    const std::size_t octetsLigne = bpp * static_cast<std::size_t>(pixels.width());
    const double total = static_cast<double>(octetsLigne) * pixels.height();
    // Measuring the idle cores takes a moment: small images go on one thread.
    const int fils = total > 4.0 * octetsParTranche ? coeursLibres() : 1;

    FichierPng fichier(chemin);
    ecrireEntete(fichier, pixels, seize);
    if (!nu) {
        ecrireProfil(fichier, pixels, pixels.bands() <= 2);
        ecrireExif(fichier, pixels);
    }
    ecrireResolution(fichier, pixels);
    Compression compression(fichier, octetsLigne, bpp, pixels.height(), fils);
    Octets grosBout(seize ? octetsLigne : 0);
    parLignes(pixels, [&](int, const std::uint8_t* ligne) {
        if (!seize) {
            compression.ajouter(ligne);
            return;
        }
        for (std::size_t i = 0; i + 1 < octetsLigne; i += 2) {  // PNG's samples are big-endian
            std::uint16_t v;
            std::memcpy(&v, ligne + i, 2);
            grosBout[i] = static_cast<std::uint8_t>(v >> 8);
            grosBout[i + 1] = static_cast<std::uint8_t>(v);
        }
        compression.ajouter(grosBout.data());
    });
    if (!compression.fini())
        throw vips::VError();
    fichier.morceau("IEND", Octets{});
    fichier.fermer();
}

} // namespace Conversions
