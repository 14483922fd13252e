#pragma once

#include "plateforme/media/LecteurAudio.h"

#include <QString>
#include <exception>
#include <memory>

namespace Conversions {

// A library's words about a sound, to the log.
void journaliserSon(const std::exception& e);

// The source opened as a sound; Erreur::lecture with its name when it is none.
std::unique_ptr<Media::LecteurAudio> ouvrirSon(const QString& source);

} // namespace Conversions
