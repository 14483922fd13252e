#pragma once

#include <QFont>
#include <QStringList>

// The lines of a short message in a narrow place: broken between words only, the quoted file
// name shortened in its middle when the text is too long, never a word cut across two lines.
namespace Lignes {

// `texte` broken into lines no wider than `largeur`, between words only; a word wider than
// the line stands alone on its line, wider than it.
QStringList couper(const QString& texte, const QFont& police, double largeur);

// The narrowest whole width at which `texte` takes at most `n` lines, broken between words,
// the guillemets bound to what they quote.
int largeurPour(const QString& texte, const QFont& police, int n);

// At most `n` lines, each no wider than `largeur`, the guillemets bound to what they quote:
// when the text needs more, the file name `nom` that it quotes (« nom », whatever the name
// holds) is shortened in its middle, keeping its start and its end, never broken at the cut;
// when that is still not enough, or no such name is given, the last line ends with an
// ellipsis.
QStringList ajuster(const QString& texte, const QFont& police, double largeur, int n, const QString& nom = {});

} // namespace Lignes
