#include "conversions/media/AudioSource.h"

#include "conversions/Erreur.h"
#include "conversions/media/Chiffrement.h"
#include "conversions/Journaux.h"
#include "plateforme/media/Echec.h"

#include <QFileInfo>

namespace Conversions {

void journaliserSon(const std::exception& e)
{
    // libav reads and writes sound; anything else is the system's (disk full, memory).
    const QString bibliotheque = dynamic_cast<const Media::Echec*>(&e) ? QStringLiteral("libav") : QStringLiteral("système");
    qCWarning(journalMedia).noquote() << bibliotheque + QStringLiteral(" : son : ") + QString::fromUtf8(e.what());
}

std::unique_ptr<Media::LecteurAudio> ouvrirSon(const QString& source)
{
    refuserSiChiffre(source);
    try {
        return std::make_unique<Media::LecteurAudio>(source);
    } catch (const Media::Echec& e) {
        journaliserSon(e);
        throw Erreur::lecture(QFileInfo(source).fileName());
    }
}

int lireBloc(Media::LecteurAudio& lecteur, int n, const QString& source)
{
    int lus = 0;
    try {
        lus = lecteur.lire(n);
    } catch (const Media::Echec& e) {
        journaliserSon(e);
        throw Erreur::lecture(QFileInfo(source).fileName());
    }
    if (lus == 0 && lecteur.position() == 0)
        throw Erreur::lecture(QFileInfo(source).fileName());
    return lus;
}

} // namespace Conversions
