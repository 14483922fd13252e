#pragma once

#include <QByteArray>
#include <QString>

#include "conversions/Erreur.h"

#include <memory>

namespace Conversions {

class DossierTenu;

// A source whose path is not UTF-8 (a Latin-1 name from an old disk), seen by the
// converters under a readable name: a link in a hidden folder beside it, reached through
// this process's open descriptor of that folder (/proc/<pid>/fd/<n>), so that every
// reader, library and helper program alike, opens it by a UTF-8 path. What a conversion
// makes there is moved beside the source afterwards, under the unique-name rule, with the
// source's own bytes back in its name. The hidden folder goes with this object. The link's
// name is the source's read as Latin-1, cut short when long (that reading takes up to twice
// the bytes): the outputs named after it must fit too.
class Alias {
public:
    // Throws Erreur::lecture when the source cannot be reached.
    explicit Alias(const QString& source);
    Alias(const Alias&) = delete;
    Alias& operator=(const Alias&) = delete;
    ~Alias();

    // The readable path to convert.
    const QString& chemin() const { return chemin_; }
    // Moves `cree`, made beside chemin(), into the source's folder; its final path.
    // Throws Erreur::ecriture with the output's name when it cannot go there.
    QString rapatrier(const QString& cree) const;
    // `e`, raised under the alias, naming the source as it reads rather than the cut name.
    Erreur nommer(const Erreur& e) const;

private:
    void nettoyer();
    // The source's folder as the calls that make something in it take it: held, wherever it is.
    QByteArray ici() const;

    QByteArray dossier_;      // the source's folder
    std::shared_ptr<const DossierTenu> parent_;
    QByteArray travail_;      // the hidden folder in it
    int descripteur_ = -1;    // the hidden folder, open
    QString vue_;             // the hidden folder, by its descriptor
    QByteArray baseOctets_;   // the source's name without extension, as on the disk
    QString baseLisible_;     // the same, readable
    QString baseDuLien_;      // the start of baseLisible_ that names the link
    QString chemin_;
};

} // namespace Conversions
