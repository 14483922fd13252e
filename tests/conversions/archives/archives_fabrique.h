#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

// Zip archives written entry by entry, hostile ones included (names with "..",
// absolute names, links out of the folder), for the tests of unpacking.
namespace Fabrique {

struct Entree {
    QString nom;
    QByteArray contenu;
    QString lien;          // a symbolic link to this target when not empty
    bool dossier = false;
    qint64 zeros = 0;      // that many zero bytes instead of `contenu`
};

inline Entree fichier(const QString& nom, const QByteArray& contenu) { return {nom, contenu, {}, false, 0}; }
inline Entree dossier(const QString& nom) { return {nom, {}, {}, true, 0}; }
inline Entree lien(const QString& nom, const QString& cible) { return {nom, {}, cible, false, 0}; }
inline Entree zeros(const QString& nom, qint64 taille) { return {nom, {}, {}, false, taille}; }

// Names are stored as UTF-8 and flagged so.
void ecrireZip(const QString& chemin, const std::vector<Entree>& entrees);

} // namespace Fabrique
