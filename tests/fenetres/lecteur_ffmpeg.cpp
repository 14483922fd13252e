// The suite plays media as the application does: through Qt Multimedia's ffmpeg backend,
// chosen before the application is made (the first player made picks the backend for the
// whole process, whichever test makes it).
#include <QByteArray>

namespace {

const bool ffmpeg = qputenv("QT_MEDIA_BACKEND", "ffmpeg");

} // namespace
