#include "conversions/pdf/PdfJpeg.h"

#include <map>

namespace Conversions {

namespace {

// A bounds-checked view over the file's bytes.
class Lecteur {
public:
    explicit Lecteur(const QByteArray& octets)
        : d_(reinterpret_cast<const unsigned char*>(octets.constData())), n_(static_cast<size_t>(octets.size()))
    {
    }
    size_t taille() const { return n_; }
    bool contient(size_t position, size_t longueur) const { return position <= n_ && longueur <= n_ - position; }
    unsigned octet(size_t p) const { return d_[p]; }
    unsigned mot(size_t p) const { return (d_[p] << 8) | d_[p + 1]; }
    const char* brut(size_t p) const { return reinterpret_cast<const char*>(d_ + p); }

private:
    const unsigned char* d_;
    size_t n_;
};

bool estSof(unsigned marqueur)
{
    return marqueur >= 0xC0 && marqueur <= 0xCF && marqueur != 0xC4 && marqueur != 0xC8 && marqueur != 0xCC;
}

} // namespace

LectureJpeg lireJpeg(const QByteArray& octets)
{
    const Lecteur l(octets);
    LectureJpeg lu;
    if (l.taille() < 4 || l.octet(0) != 0xFF || l.octet(1) != 0xD8)
        return lu;
    EnteteJpeg entete;
    bool portable = true;
    std::map<unsigned, QByteArray> morceauxProfil;
    bool vuSof = false;
    size_t p = 2;
    while (true) {
        // Markers may be padded with any number of 0xFF.
        if (l.contient(p, 1) && l.octet(p) != 0xFF)
            return lu;  // not a marker: some other damage, for the decoder to judge
        while (l.contient(p, 2) && l.octet(p + 1) == 0xFF)
            ++p;
        if (!l.contient(p, 4)) {
            lu.coupe = true;
            return lu;
        }
        const unsigned marqueur = l.octet(p + 1);
        const size_t longueur = l.mot(p + 2);
        if (longueur < 2)
            return lu;
        if (!l.contient(p + 2, longueur)) {
            lu.coupe = true;
            return lu;
        }
        const size_t corps = p + 4;
        const size_t taille = longueur - 2;
        if (estSof(marqueur)) {
            // Only Huffman coding, 8 bits: what every PDF reader decodes.
            if ((marqueur != 0xC0 && marqueur != 0xC1 && marqueur != 0xC2) || taille < 6 || l.octet(corps) != 8)
                portable = false;
            else {
                entete.hauteur = static_cast<int>(l.mot(corps + 1));
                entete.largeur = static_cast<int>(l.mot(corps + 3));
                entete.composantes = static_cast<int>(l.octet(corps + 5));
            }
            vuSof = true;
        } else if (marqueur == 0xE2 && taille > 14
                   && QByteArray(l.brut(corps), 12) == QByteArray("ICC_PROFILE\0", 12)) {
            morceauxProfil[l.octet(corps + 12)] = QByteArray(l.brut(corps + 14), static_cast<qsizetype>(taille - 14));
        } else if (marqueur == 0xDA) {
            break;
        }
        p += 2 + longueur;
    }
    // The scan runs to the end marker; a cut file would show a grey band.
    if (octets.lastIndexOf("\xFF\xD9") < static_cast<qsizetype>(p)) {
        lu.coupe = true;
        return lu;
    }
    if (!vuSof || !portable || entete.largeur == 0 || entete.hauteur == 0
        || (entete.composantes != 1 && entete.composantes != 3))
        return lu;
    for (const auto& [numero, morceau] : morceauxProfil)
        entete.profil += morceau;
    lu.entete = entete;
    return lu;
}

} // namespace Conversions
