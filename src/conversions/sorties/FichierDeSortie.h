#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>

namespace Conversions {

class Sortie;

// An output's temporary written through checked system calls: a short write or a failed
// close throws Erreur::ecriture with the output's name, a full disk the system's error. Libraries that give
// their bytes to a callback write through it.
class FichierDeSortie {
public:
    explicit FichierDeSortie(const Sortie& sortie);
    // A file of ours at `chemin`, named `nom` in messages.
    FichierDeSortie(const QString& chemin, const QString& nom);
    FichierDeSortie(const FichierDeSortie&) = delete;
    FichierDeSortie& operator=(const FichierDeSortie&) = delete;
    ~FichierDeSortie();

    void ecrire(const void* octets, std::size_t taille);
    void ecrire(const QByteArray& octets) { ecrire(octets.constData(), static_cast<std::size_t>(octets.size())); }
    // The same without throwing, for a C library's callback: false after any failure.
    bool essayer(const void* octets, std::size_t taille) noexcept;
    // Closes the file; throws when the system reports a failure there.
    void fermer();

private:
    [[noreturn]] void echouer() const;

    int fd_;
    QString nom_;
    bool echoue_ = false;
    int code_ = 0;  // errno of the failure
};

// The whole of `octets` into the output's temporary, checked.
void ecrireDans(const Sortie& sortie, const QByteArray& octets);

} // namespace Conversions
