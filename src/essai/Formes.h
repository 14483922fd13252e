#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// How the self-test writes values into its report. Numbers never follow the locale.
namespace Essai::Formes {

// ["a", "b"]: items quoted, with \" \' \\ \t \n \r escaped.
QString liste(const QStringList& items);
// "0.42 s"
QString duree(double secondes);
// "%.2f" with a point, whatever the locale.
QString decimales(double valeur);
// "Optional(2)" or "nil".
QString indice(std::optional<int> i);
// The last `n` non-empty lines of a text, joined by " | ".
QString dernieresLignes(const QString& texte, int n = 3);
// A detail on one line: every line feed becomes " / ".
QString surUneLigne(QString texte);

} // namespace Essai::Formes
