#include "conversions/Journaux.h"

namespace Conversions {

Q_LOGGING_CATEGORY(journalConversions, "vemo.conversions", QtWarningMsg)
Q_LOGGING_CATEGORY(journalImages, "vemo.images", QtWarningMsg)
Q_LOGGING_CATEGORY(journalPdf, "vemo.pdf", QtWarningMsg)
Q_LOGGING_CATEGORY(journalDocuments, "vemo.documents", QtWarningMsg)
Q_LOGGING_CATEGORY(journalMedia, "vemo.media", QtWarningMsg)
Q_LOGGING_CATEGORY(journalArchives, "vemo.archives", QtWarningMsg)
Q_LOGGING_CATEGORY(journalFFmpeg, "vemo.ffmpeg", QtWarningMsg)

} // namespace Conversions
