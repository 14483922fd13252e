#pragma once

#include "plateforme/media/LecteurAudio.h"

#include <QString>
#include <exception>
#include <memory>

namespace Conversions {

// A library's words about a sound, to the log.
void journaliserSon(const std::exception& e);

// The source opened as a sound; Erreur::lecture with its name when it is none, and
// Erreur::protege when its tracks are encrypted.
std::unique_ptr<Media::LecteurAudio> ouvrirSon(const QString& source);

// The next block of at most `n` frames of `source`; 0 at its end. A read failure is
// Erreur::lecture with the source's name, and so is a sound that ends before giving
// a single frame (an index that promises what the file does not hold).
int lireBloc(Media::LecteurAudio& lecteur, int n, const QString& source);

} // namespace Conversions
