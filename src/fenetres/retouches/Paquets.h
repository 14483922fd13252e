#pragma once

#include <QList>
#include <QString>

// The packets of one stream of a file, read by ffmpeg without decoding.
namespace Paquets {

struct Liste {
    QString codec;       // ffmpeg's name of the stream's codec ("opus", "vorbis", "h264")
    QList<double> temps; // when each packet starts, in seconds from the file's start, sorted
};

// The packets of the stream `flux` ("0:v:0", "0:a:0") of `source`; ffmpeg's failures as it
// throws them.
Liste lister(const QString& source, const QString& flux);

} // namespace Paquets
