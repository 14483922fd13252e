#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace Conversions {

class DossierTenu;

// The first free name folder/base.ext, folder/base 2.ext, folder/base 3.ext, …
// Only tests the names: use Sortie to hold one. A name that would pass the system's
// 255 bytes has its base cut short, the counter and the extension kept.
QString nomLibre(const QString& dossier, const QString& base, const QString& extension);
// The same from the counter after `dernier`, which it sets to the counter of the name given:
// many names made free one after the other take a time that grows with their number.
QString nomLibre(const QString& dossier, const QString& base, const QString& extension, int& dernier);
// The same name alone, free of the names that `pris` holds (a folder known in memory).
QString nomLibreParmi(const QString& base, const QString& extension, int& dernier,
                      const std::function<bool(const QString&)>& pris);

// An output beside its source, under a name that never overwrites anything.
//
// The free name is reserved at once, in this process's memory, so two jobs running
// together never pick the same one; nothing is created under it before the end, so a
// crash leaves no empty file bearing it. The writer fills temporaire(), a short hidden
// file in the same folder with the same extension; valider() renames it to the final name in one
// step that never replaces anything (another program may have taken the name meanwhile:
// the next free one is used). Destroyed without valider(), it removes the temporary.
class Sortie {
public:
    enum class Nature { fichier, dossier };

    Sortie(const QString& dossier, const QString& base, const QString& extension,
           Nature nature = Nature::fichier);
    // Beside `source`: its folder, its base name followed by `suffixe`.
    static Sortie apres(const QString& source, const QString& suffixe, const QString& extension,
                        Nature nature = Nature::fichier);

    Sortie(Sortie&& autre) noexcept;
    Sortie& operator=(Sortie&&) = delete;
    Sortie(const Sortie&) = delete;
    ~Sortie();

    // The reserved final path (it may still change in valider(), see above).
    const QString& chemin() const { return chemin_; }
    // The final file name, for messages.
    QString nom() const;
    // Where the writer writes, reached through the folder held open: it lands in that
    // folder even when the user moved it or put another in its place. Not created: the
    // writer makes it.
    const QString& temporaire() const { return temporaire_; }
    // Runs the writer of temporaire(). A failure on the writing side (an Erreur naming the
    // temporary, a system error) becomes Erreur::ecriture with the output's own name, but
    // a full disk stays the system's error (disquePlein), which the caller says as such;
    // any other failure (the source's) passes unchanged.
    void remplir(const std::function<void()>& ecrire);
    // Moves the written temporary over the reservation; returns the final path. The writer
    // has checked every write, its flush and its close before. Throws Erreur::ecriture when
    // nothing was written or the rename fails.
    QString valider();

    // Tests only: called with every new temporary's path before its writer runs (a link
    // to /dev/full there plays a full disk). Empty: nothing.
    static void preparerLesTemporaires(std::function<void(const QString&)> preparation);

private:
    friend QStringList validerTout(const std::vector<std::unique_ptr<Sortie>>& sorties);

    Sortie(const QString& dossier, const QString& base, const QString& suffixe, const QString& extension,
           Nature nature);
    // valider(); `annoncer`: the final name is written down for the next start first (one
    // output of several that come into place together).
    QString livrer(bool annoncer);
    // Removes the output in place, from its folder wherever it is now.
    bool retirer() const;

    QString dossier_;
    QString base_;
    QString suffixe_;
    QString extension_;
    QString chemin_;
    QString temporaire_;
    // The folder, held: the temporary goes wherever the folder was moved meanwhile.
    std::shared_ptr<const DossierTenu> tenu_;
    Nature nature_;
    bool valide_ = false;
};

// Several outputs of one job (the pages of a PDF, …) commit together: when one of them
// cannot, those already in place are removed and the failure is thrown; a run killed in
// the middle leaves them written down, and the next start removes them. Returns the final
// paths in order.
QStringList validerTout(const std::vector<std::unique_ptr<Sortie>>& sorties);

} // namespace Conversions
