#include "fenetres/couper/modele/Onde.h"

#include "plateforme/media/LecteurAudio.h"

#include <QThread>
#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <thread>

namespace Onde {

namespace {

// Enough grains for a fine picture, few enough to stay small in memory.
constexpr int64_t grainsMax = int64_t(1) << 20;
// A part decoded by itself must be long enough to pay for its opening and seek.
constexpr double partMin = 30;

// The levels of samples [debut, fin) of the sound (fin: -1 for the end) into `c`.
void decoder(const QString& chemin, int64_t debut, int64_t fin, Cumul& c)
{
    Media::LecteurAudio lecteur(chemin, frequence, 1);
    if (debut > 0 && !lecteur.chercher(static_cast<double>(debut) / frequence))
        throw std::runtime_error("pas de recherche");
    int64_t index = debut;
    while (fin < 0 || index < fin) {
        const int voulu = fin < 0 ? 16384 : static_cast<int>(std::min<int64_t>(16384, fin - index));
        const int n = lecteur.lire(voulu);
        if (n == 0)
            break;
        c.ajouter(index, lecteur.canal(0), n);
        index += n;
    }
}

} // namespace

void Cumul::grossir()
{
    for (size_t g = 0; g < sommes.size(); ++g)
        sommes[g / 2] = (g % 2 ? sommes[g / 2] : 0.0) + sommes[g];
    sommes.resize((sommes.size() + 1) / 2);
    grain *= 2;
}

void Cumul::ajouter(int64_t index, const float* niveaux, int count)
{
    if (count <= 0)
        return;
    // A sound longer than foreseen: coarser grains rather than more memory.
    while ((index + count - 1) / grain >= 2 * grainsMax)
        grossir();
    const size_t dernier = static_cast<size_t>((index + count - 1) / grain);
    if (sommes.size() <= dernier)
        sommes.resize(dernier + 1, 0.0);
    for (int i = 0; i < count; ++i) {
        const double v = std::min(std::abs(static_cast<double>(niveaux[i])), 1.0);
        sommes[static_cast<size_t>((index + i) / grain)] += v * v;
    }
    n = std::max(n, index + count);
}

void Cumul::fusionner(Cumul autre)
{
    while (grain < autre.grain)
        grossir();
    while (autre.grain < grain)
        autre.grossir();
    if (sommes.size() < autre.sommes.size())
        sommes.resize(autre.sommes.size(), 0.0);
    for (size_t g = 0; g < autre.sommes.size(); ++g)
        sommes[g] += autre.sommes[g];
    n = std::max(n, autre.n);
}

QList<float> barres(const Cumul& c)
{
    if (c.n <= 0)
        return {};
    const int64_t taille = c.n >= 96 ? c.n / 96 : 1;
    const int64_t nombre = (c.n + taille - 1) / taille;
    // A grain goes whole to the slice where it starts; each slice is averaged over the
    // samples it was given.
    std::vector<double> carres(static_cast<size_t>(nombre), 0.0), comptes(static_cast<size_t>(nombre), 0.0);
    for (size_t g = 0; g < c.sommes.size(); ++g) {
        const int64_t debut = static_cast<int64_t>(g) * c.grain;
        if (debut >= c.n)
            break;
        const size_t j = static_cast<size_t>(std::min(debut / taille, nombre - 1));
        carres[j] += c.sommes[g];
        comptes[j] += static_cast<double>(std::min<int64_t>(c.grain, c.n - debut));
    }
    std::vector<float> rms(carres.size());
    for (size_t j = 0; j < rms.size(); ++j)
        rms[j] = comptes[j] > 0 ? static_cast<float>(std::sqrt(carres[j] / comptes[j])) : 0.0f;
    const float pic = std::max(*std::max_element(rms.begin(), rms.end()), 0.0001f);
    QList<float> l;
    l.reserve(nombre);
    for (float r : rms)
        l << 0.12f + 0.88f * std::min(r / pic, 1.0f);
    return l;
}

QList<float> lire(const QString& chemin, double duree)
{
    const bool connue = std::isfinite(duree) && duree > 0 && duree < 1e7;
    const int64_t estime = connue ? std::llround(duree * frequence) : 0;
    const int grain = static_cast<int>(std::max<int64_t>(1, (estime + grainsMax - 1) / grainsMax));
    const int parts = connue ? std::clamp(static_cast<int>(duree / partMin), 1, std::min(8, QThread::idealThreadCount())) : 1;

    std::vector<Cumul> cumuls(static_cast<size_t>(parts), Cumul{grain, {}, 0});
    bool rate = false;
    if (parts > 1) {
        std::vector<std::exception_ptr> echecs(static_cast<size_t>(parts));
        std::vector<std::thread> fils;
        for (int i = 0; i < parts; ++i)
            fils.emplace_back([&, i] {
                try {
                    const int64_t debut = estime * i / parts;
                    decoder(chemin, debut, i + 1 < parts ? estime * (i + 1) / parts : -1, cumuls[static_cast<size_t>(i)]);
                } catch (...) {
                    echecs[static_cast<size_t>(i)] = std::current_exception();
                }
            });
        for (std::thread& f : fils)
            f.join();
        rate = std::any_of(echecs.begin(), echecs.end(), [](const auto& e) { return bool(e); });
    }
    Cumul tout{grain, {}, 0};
    if (parts > 1 && !rate) {
        for (const Cumul& c : cumuls)
            tout.fusionner(c);
    } else {
        // One pass from the start: a read error ends the sound where it happened.
        try {
            decoder(chemin, 0, -1, tout);
        } catch (const std::exception&) {
        }
    }
    return barres(tout);
}

} // namespace Onde
