#pragma once

#include <QString>
#include <functional>

// The tool windows the application opens by their keys.
namespace Outils {

// Every tool window's content size.
inline constexpr int largeur = 620, hauteur = 600;

// Opens the window of tool `cle` ("recadrer", "lumiere", "couper") on `fichier`; `fini` receives each
// file it writes. False when this version has no window for that key.
bool ouvrir(const QString& cle, const QString& fichier, std::function<void(const QString&)> fini);

} // namespace Outils
