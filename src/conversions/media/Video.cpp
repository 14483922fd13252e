#include "conversions/media/Video.h"

#include "conversions/media/Chiffrement.h"
#include "conversions/media/Export.h"
#include "conversions/media/FFmpeg.h"
#include "conversions/media/Gif.h"
#include "conversions/sorties/Sortie.h"

#include <QFile>
#include <QFileInfo>
#include <cmath>

namespace Conversions {

QString video(const QString& source, const QString& id, const Progression& progression)
{
    const QFileInfo info(source);
    const QString base = info.completeBaseName();
    const auto sondage = Media::sonder(source);
    if (sondage)
        refuserSiChiffre(*sondage, source);
    if (id == QLatin1String("gif")) {
        // A GIF is made of pictures: a file of sound alone has none to give.
        if (sondage && sondage->de(Media::TypeDeFlux::video).isEmpty() && !sondage->de(Media::TypeDeFlux::son).isEmpty())
            throw sansImage(info.fileName());
        return gif(source, info.absolutePath(), base, progression);
    }

    // A file that gives no finite length would have ffmpeg run without end.
    if (!sondage || !std::isfinite(sondage->duree) || sondage->duree <= 0)
        throw Erreur::lecture(info.fileName());
    Export plan = planExport(*sondage, id, base, info.fileName());
    // A sound copied as it is must be one that plays: a file whose index is sound but whose
    // samples are not would come out as an M4A of noise.
    if (plan.sonCopie >= 0 && !Media::fluxDecodable(source, plan.sonCopie))
        throw Erreur::lecture(info.fileName());
    if (ffmpeg().isEmpty())
        throw moteurManquant();

    Sortie sortie(info.absolutePath(), plan.base, plan.extension);
    // A full disk is the output's failure, whichever of the runs meets it.
    sortie.remplir([&] {
        for (;;) {
            try {
                lancerFFmpeg(QStringList{QStringLiteral("-i"), source} + plan.arguments + QStringList{sortie.temporaire()},
                             source, progression);
                break;
            } catch (const Erreur& e) {
                // ffmpeg's own words went to the log; the partial output goes with `sortie`. What
                // ffmpeg could not make of the source is said of the source, not of the output.
                if (!plan.copie || e.cas() == Erreur::Cas::lecture || e.cas() == Erreur::Cas::sansSon)
                    throw;
            }
            // The container took the streams as they are in principle but the muxer refused
            // them: encode them, as for any stream it does not take.
            QFile::remove(sortie.temporaire());
            plan = planExport(*sondage, id, base, info.fileName(), false);
        }
    });
    return sortie.valider();
}

} // namespace Conversions
