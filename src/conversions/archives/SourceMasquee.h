#pragma once

#include "conversions/archives/RepertoireCentral.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>

struct archive;

namespace Conversions {

// Bytes read in place of those of a file, from `debut` on.
struct Remplacement {
    qint64 debut = 0;
    QByteArray octets;
};

// Zeros over `plage`: an extra field of zeros is padding to every reader, so a field that
// does not parse is passed over.
inline Remplacement zeros(const Plage& plage) { return {plage.debut, QByteArray(plage.taille, '\0')}; }

// A file as the unpacking library reads it, with some spans read otherwise: the mends that
// let it read what the common tools read.
class SourceMasquee {
public:
    SourceMasquee(const QString& chemin, QList<Remplacement> remplacements);
    ~SourceMasquee();
    SourceMasquee(const SourceMasquee&) = delete;
    SourceMasquee& operator=(const SourceMasquee&) = delete;

    // Opens the reader `a` on the file, which must outlive it; the library's status.
    int ouvrir(archive* a);

    struct Etat;

private:
    std::unique_ptr<Etat> etat_;
};

} // namespace Conversions
