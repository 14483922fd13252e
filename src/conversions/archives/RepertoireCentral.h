#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>

#include <optional>

namespace Conversions {

// A span of bytes of a file.
struct Plage {
    qint64 debut = 0;
    qint64 taille = 0;
};

// Where a zip's central directory lies, as its end records say, and how many entries they
// announce.
struct RepertoireCentral {
    qint64 debut = 0;
    qint64 taille = 0;
    quint64 entrees = 0;
    qint64 fin = 0;            // where the end records start: the directory cannot pass it
    Plage champTaille;         // the record's field that holds `taille`
};

// Read from the end of the open file `f`; nothing when there is no end record, or when the
// records name bytes the file does not hold (a damaged or hostile archive).
std::optional<RepertoireCentral> repertoireCentral(QFile& f);

// One record of the central directory, as stored.
struct EntreeCentrale {
    QByteArray nom;
    quint32 systeme = 0;       // the high byte of "version made by"
    quint32 methode = 0;       // the compression method
    quint32 attributs = 0;     // external attributes
    quint64 locale = 0;        // where its local header lies, as the record says
    Plage champs;              // its extra fields, in the file
    quint64 compresse = 0;     // its compressed size, as the record says
    qint64 enregistrement = 0; // where the record lies
};

// The records of the open file `f`'s central directory, up to the first that does not
// parse; empty when the directory cannot be found. They are walked from where the directory
// starts up to the end records, whatever size the end record gives it: some writers get that
// size wrong, and the common tools read the records all the same.
QList<EntreeCentrale> entreesCentrales(QFile& f);

// The directory's true size, when its records all parse from where it starts to the end
// records and the end record gives another size: the common tools find them there, and the
// unpacking library must be told that size to look where they are.
std::optional<qint64> tailleReelle(QFile& f);

} // namespace Conversions
