#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>

// What the fuzz entry points share: a Qt application for the text layout and a private folder.
namespace fuzz {

QByteArray octets(const uint8_t* donnees, size_t taille);
// The path of `nom` in the private folder.
QString chemin(const QString& nom);
// Writes `contenu` to `nom` in the private folder and gives its path.
QString ecrire(const QString& nom, const QByteArray& contenu);
// Reads a document as a conversion does, looks for characters no font draws, then lays it
// out as PDF, Word and plain text.
// A refusal (Erreur) is expected; anything else escapes and stops the fuzzer.
void parcourirDocument(const QString& chemin);
// A package `nom` made of the parts `noms`, whose contents are the input's pieces separated by
// NUL bytes (no XML holds one), the last taking the rest; its path.
QString paquet(const QString& nom, const QStringList& noms, const QByteArray& octets);

} // namespace fuzz
