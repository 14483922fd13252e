#include "conversions/media/Audio.h"
#include "conversions/media/AudioSource.h"
#include "conversions/sorties/Sortie.h"

#include <lame/lame.h>

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <memory>
#include <vector>

namespace Conversions {

namespace {

// Room for every encode of one block, the flush and the tag frame.
constexpr int tailleMp3 = 48160;

struct FermerLame { void operator()(lame_t l) const { lame_close(l); } };
using Lame = std::unique_ptr<lame_global_flags, FermerLame>;

Lame encodeur(int frequence, int canaux)
{
    Lame l(lame_init());
    if (!l)
        throw Erreur::ecriture(QStringLiteral("MP3"));
    lame_set_in_samplerate(l.get(), frequence);
    lame_set_num_channels(l.get(), std::min(canaux, 2));
    if (canaux == 1)
        lame_set_mode(l.get(), MONO);
    lame_set_VBR(l.get(), vbr_mtrh);
    lame_set_VBR_quality(l.get(), 2.0f);
    if (lame_init_params(l.get()) < 0)
        throw Erreur::ecriture(QStringLiteral("MP3"));
    return l;
}

class EcritureMp3 {
public:
    EcritureMp3(QFile& fichier, const QString& nom) : fichier_(fichier), nom_(nom), tampon_(tailleMp3, 0) {}

    unsigned char* tampon() { return tampon_.data(); }
    // Appends `n` bytes of the buffer; a negative count is an encoder failure.
    void ajouter(int n)
    {
        if (n < 0)
            throw Erreur::ecriture(nom_);
        // A short write is no failure yet: the next one says why the disk took no more.
        for (qint64 fait = 0; fait < n;) {
            const qint64 k = fichier_.write(reinterpret_cast<const char*>(tampon_.data()) + fait, n - fait);
            if (k <= 0)
                echecDEcriture(nom_, fichier_.errorString());
            fait += k;
        }
    }

private:
    QFile& fichier_;
    const QString& nom_;
    std::vector<unsigned char> tampon_;
};

} // namespace

QString mp3(const QString& source, const Progression& progression)
{
    auto lecteur = ouvrirSon(source);
    const int canaux = lecteur->canaux();
    Lame lame = encodeur(lecteur->frequence(), canaux);

    Sortie sortie = Sortie::apres(source, QString(), QStringLiteral("mp3"));
    const QString nom = sortie.nom();
    QFile fichier(sortie.temporaire());
    // Unbuffered: each write's failure is the system's own, a full disk said as such.
    if (!fichier.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        echecDEcriture(nom, fichier.errorString());
    EcritureMp3 ecriture(fichier, nom);

    for (;;) {
        const int n = lireBloc(*lecteur, blocAudio, source);
        if (n == 0)
            break;
        const float* gauche = lecteur->canal(0);
        const float* droite = lecteur->canal(canaux > 1 ? 1 : 0);
        ecriture.ajouter(lame_encode_buffer_ieee_float(lame.get(), gauche, droite, n, ecriture.tampon(), tailleMp3));
        if (progression)
            progression(lecteur->avancement());
    }
    ecriture.ajouter(lame_encode_flush(lame.get(), ecriture.tampon(), tailleMp3));

    // The encoder reserved the first frame for this summary, which lets readers
    // know the exact length of a variable bit rate stream.
    const size_t etiquette = lame_get_lametag_frame(lame.get(), ecriture.tampon(), tailleMp3);
    if (etiquette >= 1 && etiquette <= static_cast<size_t>(tailleMp3)) {
        if (!fichier.seek(0))
            echecDEcriture(nom, fichier.errorString());
        ecriture.ajouter(static_cast<int>(etiquette));
    }
    if (!fichier.flush())
        echecDEcriture(nom, fichier.errorString());
    fichier.close();
    return sortie.valider();
}

} // namespace Conversions
