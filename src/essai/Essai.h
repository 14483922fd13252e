#pragma once

#include <QString>

namespace Roue {
class EtatRoue;
} // namespace Roue

namespace Essai {

// The whole self-test: empties `dossier`, makes the samples, converts them with every petal,
// runs the first series, writes "rapport.txt" (also printed on standard output) and nine
// pictures of the wheel. False, with a message on standard error, when the folder is refused.
bool lancer(const QString& dossier, Roue::EtatRoue& etat);

// Why the self-test may not empty this folder, or an empty text when it may: never an empty
// path, the root, the home folder, nor a folder holding files but not the mark that every run
// of the self-test leaves in its folder.
QString refusDuDossier(const QString& dossier);

} // namespace Essai
