#include "conversions/media/Video.h"

#include "conversions/media/Export.h"
#include "conversions/media/FFmpeg.h"
#include "conversions/media/Gif.h"
#include "conversions/Sortie.h"

#include <QFileInfo>
#include <cmath>

namespace Conversions {

QString video(const QString& source, const QString& id, const Progression& progression)
{
    const QFileInfo info(source);
    const QString base = info.completeBaseName();
    if (id == QLatin1String("gif"))
        return gif(source, info.absolutePath(), base, progression);

    const auto sondage = Media::sonder(source);
    if (!sondage)
        throw Erreur::lecture(info.fileName());
    // A file that gives no finite length would have ffmpeg run without end.
    if (!std::isfinite(sondage->duree) || sondage->duree <= 0)
        throw Erreur::lecture(base);
    const Export plan = planExport(*sondage, id, base, info.fileName());
    if (ffmpeg().isEmpty())
        throw moteurManquant();

    Sortie sortie(info.absolutePath(), plan.base, plan.extension);
    QStringList arguments{QStringLiteral("-i"), source};
    arguments << plan.arguments << sortie.temporaire();
    try {
        lancerFFmpeg(arguments, source, progression);
    } catch (const Erreur&) {
        // ffmpeg's own words went to the log; the partial output goes with `sortie`.
        throw Erreur::ecriture(sortie.nom());
    }
    return sortie.valider();
}

} // namespace Conversions
