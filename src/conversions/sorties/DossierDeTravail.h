#pragma once

#include <QString>

#include <memory>

namespace Conversions {

class DossierTenu;

// A work folder `parent`/`prefixe`<uuid> with the application's prefix before `prefixe`
// (after the dot of a hidden one), made at once (intermediate folders too) and removed with
// all it holds whichever way the operation ends, also when `parent` was moved meanwhile.
// Private to the user (0700): the temporary folder is shared by every local user.
class DossierDeTravail {
public:
    // Throws std::system_error when the folder cannot be made.
    DossierDeTravail(const QString& parent, const QString& prefixe);
    // The same in the folder `tenu`, held at `parent`, never made again: a parent moved
    // meanwhile gets the work folder wherever it is.
    DossierDeTravail(const QString& parent, std::shared_ptr<const DossierTenu> tenu, const QString& prefixe);
    DossierDeTravail(const DossierDeTravail&) = delete;
    DossierDeTravail& operator=(const DossierDeTravail&) = delete;
    ~DossierDeTravail();

    const QString& chemin() const { return chemin_; }
    QString fichier(const QString& nom) const;
    // The folder was moved away whole: nothing left to remove.
    void abandonner();

private:
    QString chemin_;
    std::shared_ptr<const DossierTenu> parent_;
};

// Moves a file or folder to `destination` (which must not exist): a rename, or a copy
// then removal when they sit on different disks. Throws std::system_error.
void deplacer(const QString& source, const QString& destination);

} // namespace Conversions
