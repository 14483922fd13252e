#include "conversions/media/AudioSource.h"

#include "conversions/Erreur.h"
#include "conversions/JournalMoteur.h"
#include "plateforme/media/Av.h"

#include <QFileInfo>

namespace Conversions {

void journaliserSon(const std::exception& e)
{
    if (journalMoteur)
        journalMoteur(QStringLiteral("son : ") + QString::fromUtf8(e.what()));
}

std::unique_ptr<Media::LecteurAudio> ouvrirSon(const QString& source)
{
    try {
        return std::make_unique<Media::LecteurAudio>(source);
    } catch (const Media::Echec& e) {
        journaliserSon(e);
        throw Erreur::lecture(QFileInfo(source).fileName());
    }
}

} // namespace Conversions
