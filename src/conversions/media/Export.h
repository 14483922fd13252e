#pragma once

#include "plateforme/media/Sonde.h"

#include <QString>
#include <QStringList>

namespace Conversions {

// How ffmpeg writes one video target: the output's name and extension and the
// arguments between the input and the output.
struct Export {
    QString base;
    QString extension;
    QStringList arguments;
    bool copie = false;   // streams copied as they are, not re-encoded
    int sonCopie = -1;    // the index of a sound stream copied as it is into "m4a", else -1
};

// The export of a probed video to "mp4", "mov", "leger", "m4a" or any other identifier
// (an MPEG-4 file with the identifier as extension). Streams are copied when every kept
// one fits the container as it is and `copier` allows it, else re-encoded. Throws
// Erreur::sansSon for "m4a" without sound, sansImage for any other target without a
// moving picture, Erreur::lecture when nothing can be kept.
Export planExport(const Media::Sondage& sondage, const QString& id, const QString& base, const QString& nom,
                  bool copier = true);

// Arguments that encode the picture to H.264 at `crf`, its sides made even.
QStringList h264AuxCotesPairs(const QString& crf);

} // namespace Conversions
