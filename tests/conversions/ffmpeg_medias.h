#pragma once

#include "commun/Dossier.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <ostream>
#include <vector>

// Readable failures: gtest prints QStrings as text.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

// Media made by the system's ffmpeg and read back by ffprobe, for the tests of our runner.
namespace Medias {

// Puts the link "ffmpeg" beside the test program, as the build does beside the app.
void lierFFmpeg();

// Runs the system's ffmpeg with `arguments` then `sortie`; fails the test on error.
QString fabriquer(const QString& sortie, const QStringList& arguments);
// A test picture (and a tone when `son`) of `secondes`, encoded by `codecs` ("-c:v", …).
QString clip(const QString& sortie, const QString& taille, double secondes, bool son,
             const QStringList& codecs = {});

// ffprobe's view of a file: format and streams.
QJsonObject sonder(const QString& chemin);
QJsonObject flux(const QString& chemin, const QString& type);  // the first of a type, or empty
QStringList codecs(const QString& chemin);                      // in stream order
// A digest of a stream's packets: equal when the stream was copied as it is.
QString empreinte(const QString& chemin, const QString& specificateur);

// Progress reports as received, checked for order and range.
struct Releve {
    std::vector<double> valeurs;
    std::function<void(double)> rapport();
    bool croissant() const;
    bool dansLesBornes() const;
};

} // namespace Medias
