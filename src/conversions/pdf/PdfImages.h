#pragma once

#include <QString>

namespace Conversions {

class Assemblage;

// Adds one page showing the image file, one point per pixel, its orientation applied.
// A JPEG is carried as its own bytes (turned by the page, never re-encoded); anything
// else is decoded and stored without loss. Errors of reading are Erreur::lecture with the image's name.
void ajouterImage(Assemblage& pdf, const QString& chemin);

} // namespace Conversions
