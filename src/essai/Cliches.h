#pragma once

#include <QDir>

class EtatRoue;

namespace Essai {

// The nine pictures of the wheel, light and dark, written as PNG files into the folder.
void photographierLaRoue(const QDir& dossier, EtatRoue& etat);

} // namespace Essai
