#pragma once

#include "conversions/archives/ChampsIllisibles.h"

#include <QList>
#include <QString>

#include <memory>

struct archive;

namespace Conversions {

// A file as the unpacking library reads it, with some spans read as zeros: an extra field
// of zeros is padding to every reader, so a field that does not parse is passed over.
class SourceMasquee {
public:
    SourceMasquee(const QString& chemin, QList<Plage> masques);
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
