#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>

#include <optional>

namespace Conversions {

// Where a zip's central directory lies, as its end records say, and how many entries they
// announce.
struct RepertoireCentral {
    qint64 debut = 0;
    qint64 taille = 0;
    quint64 entrees = 0;
};

// Read from the end of the open file `f`; nothing when there is no end record, or when the
// records name bytes the file does not hold (a damaged or hostile archive).
std::optional<RepertoireCentral> repertoireCentral(QFile& f);

// One record of the central directory, as stored.
struct EntreeCentrale {
    QByteArray nom;
    quint32 systeme = 0;       // the high byte of "version made by"
    quint32 attributs = 0;     // external attributes
    quint64 locale = 0;        // where its local header lies, as the record says
};

// The records of the open file `f`'s central directory, up to the first that does not
// parse; empty when the directory cannot be found.
QList<EntreeCentrale> entreesCentrales(QFile& f);

} // namespace Conversions
