#include "conversions/media/Audio.h"

#include "conversions/sorties/Annulation.h"
#include "conversions/Chemins.h"
#include "conversions/media/AudioSource.h"

#include "conversions/sorties/Sortie.h"
#include "plateforme/media/EcrivainAudio.h"
#include "plateforme/media/LecteurAudio.h"

#include <QCoreApplication>

#include <algorithm>
#include <limits>
#include <memory>
#include <vector>

namespace Conversions {

namespace {

// The sound data an AIFF holds beside its headers, in bytes.
constexpr int64_t aiffAuPlus = 0x7FFFFFFF - 64;

int64_t tramesAiffAuPlus(int canaux, int profondeur)
{
    return aiffAuPlus / std::max(1, canaux * profondeur / 8);
}

Erreur tropLongPourAiff(const QString& source)
{
    return Erreur::rien(
        QCoreApplication::translate("Conversions", "« %1 » est trop long pour un fichier AIFF").arg(nomDe(source)));
}

// Uncompressed sources keep their depth within 16 to 24 bits; the others get 16.
int profondeur(const Media::LecteurAudio& l)
{
    const int bits = l.profondeurPCM();
    return bits == 0 ? 16 : std::clamp(bits, 16, 24);
}

Media::ReglagesAudio reglages(const Media::LecteurAudio& l, const QString& cible)
{
    Media::ReglagesAudio r;
    r.canaux = l.canaux();
    r.frequence = l.frequence();
    if (cible == QLatin1String("m4a")) {
        r.codage = Media::ReglagesAudio::Codage::aac;
        r.debit = r.canaux == 1 ? 128000 : 256000;
    } else {
        r.codage = Media::ReglagesAudio::Codage::pcm;
        r.profondeur = profondeur(l);
        r.grosBoutiste = cible == QLatin1String("aiff");
    }
    return r;
}

// Block copy from the open source into a new file of `chemin`, of at most `auPlus` frames (a
// length the source declared too short goes no further than the format allows).
void recopier(Media::LecteurAudio& source, const QString& nom, const QString& chemin, const Media::ReglagesAudio& r,
              int64_t auPlus, const Progression& progression)
{
    Media::EcrivainAudio destination(chemin, r);
    std::vector<const float*> canaux(static_cast<size_t>(source.canaux()));
    for (;;) {
        const int n = lireBloc(source, blocAudio, nom);
        if (n == 0)
            break;
        if (source.position() > auPlus)
            throw tropLongPourAiff(nom);
        for (int c = 0; c < source.canaux(); ++c)
            canaux[static_cast<size_t>(c)] = source.canal(c);
        destination.ecrire(canaux.data(), n);
        if (progression)
            progression(source.avancement());
    }
    destination.terminer();
}

} // namespace

void verifierAiff(const QString& source, int64_t octets)
{
    if (octets > aiffAuPlus)
        throw tropLongPourAiff(source);
}

QString son(const QString& source, const QString& cible, const Progression& progression)
{
    if (cible == QLatin1String("mp3"))
        return mp3(source, progression);
    auto lecteur = ouvrirSon(source);
    const Media::ReglagesAudio r = reglages(*lecteur, cible);
    const bool aiff = cible == QLatin1String("aiff");
    if (aiff)
        verifierAiff(source, lecteur->longueur() * r.canaux * (r.profondeur / 8));
    const int64_t auPlus = aiff ? tramesAiffAuPlus(r.canaux, r.profondeur) : std::numeric_limits<int64_t>::max();
    Sortie sortie = Sortie::apres(source, QString(), cible);
    try {
        recopier(*lecteur, source, sortie.temporaire(), r, auPlus, progression);
    } catch (const Annulee&) {
        throw;
    } catch (const Erreur&) {
        throw;  // the source, not the output, failed
    } catch (const std::exception& e) {
        // Whatever the reason, the user learns which file could not be written.
        journaliserSon(e);
        echecDEcriture(sortie.nom(), e);
    }
    return sortie.valider();
}

} // namespace Conversions
