#pragma once

#include <QByteArray>
#include <QString>

class QTextDocument;

// The readers behind lireDocument. Each fills an empty document and throws
// Erreur::lecture(nom) on anything it cannot make sense of.
namespace Conversions {

void lireRtf(const QByteArray& rtf, QTextDocument* document, const QString& nom);
void lireDocx(const QString& chemin, QTextDocument* document);
void lireOdt(const QString& chemin, QTextDocument* document);

// Biggest part of a package we inflate (a zip bomb stops there).
constexpr qint64 plafondXml = 256 * 1024 * 1024;

} // namespace Conversions
