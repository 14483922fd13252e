#pragma once

#include <QLoggingCategory>

// Where a library's own words go, one category per area; the application routes them to
// its log file. Each message starts with the name of the library that failed ("vips : …"),
// except ffmpeg's, which is the tool's whole error output.
namespace Conversions {

Q_DECLARE_LOGGING_CATEGORY(journalConversions)  // vemo.conversions
Q_DECLARE_LOGGING_CATEGORY(journalImages)       // vemo.images
Q_DECLARE_LOGGING_CATEGORY(journalPdf)          // vemo.pdf
Q_DECLARE_LOGGING_CATEGORY(journalDocuments)    // vemo.documents
Q_DECLARE_LOGGING_CATEGORY(journalMedia)        // vemo.media
Q_DECLARE_LOGGING_CATEGORY(journalArchives)     // vemo.archives
Q_DECLARE_LOGGING_CATEGORY(journalFFmpeg)       // vemo.ffmpeg

} // namespace Conversions
