#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstddef>
#include <cstdint>

// What the fuzz entry points share: a Qt application for the text layout and a private folder.
namespace fuzz {

QByteArray octets(const uint8_t* donnees, size_t taille);
// The path of `nom` in the private folder.
QString chemin(const QString& nom);
// Writes `contenu` to `nom` in the private folder and gives its path.
QString ecrire(const QString& nom, const QByteArray& contenu);
// Reads a document as a conversion does, then lays it out as PDF, Word and plain text.
// A refusal (Erreur) is expected; anything else escapes and stops the fuzzer.
void parcourirDocument(const QString& chemin);
// `nombre` parts separated by NUL bytes (no XML holds one), the last taking the rest.
QList<QByteArray> parties(const QByteArray& octets, int nombre);

} // namespace fuzz
