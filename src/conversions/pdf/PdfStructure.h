#pragma once

#include <QString>
#include <memory>
#include <vector>

#include <qpdf/PDFVersion.hh>

class QPDF;
class QPDFWriter;

namespace Conversions {

class Sortie;

// A PDF opened for its pages and objects (not for drawing). A document that asks for a
// password is Erreur::protege; one the reader refuses, or one without any page, is
// Erreur::lecture, with the file's name. `reconstruit`, when given, tells whether qpdf
// had to repair damage to read it.
// A page tree that is missing or broken (a loop, a node of the wrong kind) is rebuilt in
// memory from the pages that can be found, and counts as repaired.
std::shared_ptr<QPDF> ouvrirStructure(const QString& chemin, bool* reconstruit = nullptr);

// Runs `ecrivain` into the file `chemin` through checked writes (qpdf's own file writer
// lets a full disk pass at its last flush). A failure of the disk is Erreur::ecriture(nom).
void ecrireVers(QPDFWriter& ecrivain, const QString& chemin, const QString& nom);

// A new PDF put together from pages of others. The documents it copies from are kept
// alive until it is written: their streams are only read then.
class Assemblage {
public:
    Assemblage();
    ~Assemblage();
    Assemblage(const Assemblage&) = delete;
    Assemblage& operator=(const Assemblage&) = delete;

    // The document itself, for pages made here.
    QPDF& document() { return *document_; }
    // Every page of `source`, in order, with its annotations and form fields. A page that
    // cannot be copied is Erreur::lecture with `nom`, the source's file name.
    void ajouter(const std::shared_ptr<QPDF>& source, const QString& nom);
    // Page `index` of `source` alone.
    void ajouter(const std::shared_ptr<QPDF>& source, int index, const QString& nom);

    // Writes the document into the output's temporary, without moving it into place.
    // A failure is Erreur::ecriture with the output's name.
    void enregistrer(Sortie& sortie);
    // Writes the document into the output and moves it into place; returns the final path.
    QString ecrire(Sortie& sortie);

private:
    template <typename F>
    void copier(const std::shared_ptr<QPDF>& source, const QString& nom, F&& choisir);

    std::vector<std::shared_ptr<QPDF>> sources_;
    std::shared_ptr<QPDF> document_;
    // The newest version among its parts: the file declares it.
    PDFVersion version_;
};

} // namespace Conversions
