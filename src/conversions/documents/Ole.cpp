#include "conversions/documents/Ole.h"

#include <QFile>
#include <QtEndian>

#include <cstdint>
#include <optional>
#include <vector>

namespace Conversions {

namespace {

constexpr uint32_t finDeChaine = 0xFFFFFFFE;
constexpr int tailleEntete = 512;
constexpr int tailleEntree = 128;
constexpr int difatsDeLEntete = 109;

uint32_t mot32(const QByteArray& b, qsizetype i) { return qFromLittleEndian<uint32_t>(b.constData() + i); }
uint16_t mot16(const QByteArray& b, qsizetype i) { return qFromLittleEndian<uint16_t>(b.constData() + i); }

class Conteneur {
public:
    explicit Conteneur(QFile& f) : f_(f) {}

    bool lire()
    {
        entete_ = f_.read(tailleEntete);
        if (entete_.size() < tailleEntete || !entete_.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
            return false;
        const int decalage = mot16(entete_, 30);
        if ((decalage != 9 && decalage != 12) || mot16(entete_, 32) != 6)
            return false;
        taille_ = 1 << decalage;
        // Sector n starts at (n + 1) sectors: the header takes the first one's place.
        const qint64 nombre = (f_.size() + taille_ - 1) / taille_ - 1;
        if (nombre <= 0 || nombre > 0x7FFFFFFF)
            return false;
        secteurs_ = static_cast<uint32_t>(nombre);
        vus_.assign(secteurs_, false);
        return lireTable() && lireRepertoire() && lirePetits() && lireFlux();
    }

private:
    std::optional<QByteArray> secteur(uint32_t n)
    {
        if (n >= secteurs_ || !f_.seek((static_cast<qint64>(n) + 1) * taille_))
            return std::nullopt;
        QByteArray s = f_.read(taille_);
        s.resize(taille_, '\0');  // the last sector may be cut short
        return s;
    }

    // The chain from `debut` in `table`: inside it, ended, and through sectors no other chain took.
    static std::optional<std::vector<uint32_t>> chaine(uint32_t debut, const std::vector<uint32_t>& table,
                                                      std::vector<bool>& vus)
    {
        std::vector<uint32_t> l;
        for (uint32_t s = debut; s != finDeChaine; s = table[s]) {
            if (s >= table.size() || s >= vus.size() || vus[s])
                return std::nullopt;
            vus[s] = true;
            l.push_back(s);
        }
        return l;
    }

    // The allocation table, its sectors listed in the header then along the DIFAT chain.
    bool lireTable()
    {
        const uint32_t nombre = mot32(entete_, 44);
        if (nombre > secteurs_)
            return false;
        std::vector<uint32_t> ou;
        for (int i = 0; i < difatsDeLEntete && ou.size() < nombre; ++i)
            ou.push_back(mot32(entete_, 76 + 4 * i));
        uint32_t suivant = mot32(entete_, 68);
        for (uint32_t n = 0; ou.size() < nombre; ++n) {
            const auto s = secteur(suivant);
            if (!s || n >= secteurs_ || vus_[suivant])
                return false;
            vus_[suivant] = true;
            for (int i = 0; i < taille_ / 4 - 1 && ou.size() < nombre; ++i)
                ou.push_back(mot32(*s, 4 * i));
            suivant = mot32(*s, taille_ - 4);
        }
        for (const uint32_t n : ou) {
            const auto s = secteur(n);
            if (!s || vus_[n])
                return false;
            vus_[n] = true;
            for (int i = 0; i < taille_ / 4; ++i)
                table_.push_back(mot32(*s, 4 * i));
        }
        return true;
    }

    bool lireRepertoire()
    {
        const auto c = chaine(mot32(entete_, 48), table_, vus_);
        if (!c || c->empty())
            return false;
        for (const uint32_t n : *c) {
            const auto s = secteur(n);
            if (!s)
                return false;
            repertoire_ += *s;
        }
        return true;
    }

    // The table of the small blocks, which live in the root entry's stream.
    bool lirePetits()
    {
        const auto c = chaine(mot32(entete_, 60), table_, vus_);
        if (!c)
            return false;
        for (const uint32_t n : *c) {
            const auto s = secteur(n);
            if (!s)
                return false;
            for (int i = 0; i < taille_ / 4; ++i)
                petite_.push_back(mot32(*s, 4 * i));
        }
        return true;
    }

    // Each stream's chain, in the small blocks under the cutoff, else in the sectors.
    bool lireFlux()
    {
        const uint32_t seuil = mot32(entete_, 56);
        std::vector<bool> petitsVus(petite_.size(), false);
        for (qsizetype e = 0; e + tailleEntree <= repertoire_.size(); e += tailleEntree) {
            const int type = static_cast<unsigned char>(repertoire_[e + 66]);
            if (type != 2 && type != 5)
                continue;
            const uint32_t debut = mot32(repertoire_, e + 116);
            const uint32_t longueur = mot32(repertoire_, e + 120);
            if (longueur == 0)
                continue;  // an empty stream: some writers give it sector 0
            const bool petit = type == 2 && longueur < seuil;
            if (!(petit ? chaine(debut, petite_, petitsVus) : chaine(debut, table_, vus_)))
                return false;
        }
        return true;
    }

    QFile& f_;
    QByteArray entete_;
    int taille_ = 512;
    uint32_t secteurs_ = 0;
    std::vector<bool> vus_;
    std::vector<uint32_t> table_;
    std::vector<uint32_t> petite_;
    QByteArray repertoire_;
};

} // namespace

bool oleBienForme(const QString& chemin)
{
    QFile f(chemin);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    return Conteneur(f).lire();
}

} // namespace Conversions
