#pragma once

#include <QString>
#include <optional>

namespace Essai {

// One line describing an output file: its size and what matters for its kind.
// Never fails: what cannot be read becomes 0, "false", an empty detail or "ILLISIBLE".
QString verifier(const QString& chemin);

// What the verifier and the checks read of files, each never failing.
struct Media {
    double duree = 0;
    int pistesImage = 0;
    int pistesSon = 0;
    int frequence = 0;  // of the first decodable sound track; 0 without one
    int canaux = 0;
};
Media lireMedia(const QString& chemin);
// "800×500", or an empty text when the file is no readable picture.
QString tailleImage(const QString& chemin);
int nombreDImagesDe(const QString& chemin);
int pagesPDF(const QString& chemin);
QString textePDF(const QString& chemin, int page = -1);  // -1: every page
// The share (0–100) of sampled pixels that are fully transparent; nullopt when unreadable.
std::optional<int> partTransparente(const QString& chemin);

} // namespace Essai
