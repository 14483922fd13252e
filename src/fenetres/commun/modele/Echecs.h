#pragma once

#include <QLoggingCategory>
#include <QString>
#include <exception>

// A tool window's failure goes to the log in its library's own words, as the engine's do,
// whatever short French text the window shows.
namespace Echecs {

void journaliser(const QLoggingCategory& categorie, const QString& fichier, const std::exception& e);

// The file name that the failure's text (Conversions::descriptionPour of `source`) quotes, as
// it stands there; empty when it quotes none.
QString nomCite(const std::exception& e, const QString& source);

} // namespace Echecs
