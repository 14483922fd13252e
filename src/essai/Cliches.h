#pragma once

#include <QDir>

namespace Roue {
class EtatRoue;
} // namespace Roue

namespace Essai {

// The nine pictures of the wheel, light and dark, written as PNG files into the folder.
void photographierLaRoue(const QDir& dossier, Roue::EtatRoue& etat);

} // namespace Essai
