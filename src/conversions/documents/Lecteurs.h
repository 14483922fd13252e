#pragma once

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>

#include "conversions/Erreur.h"
#include "conversions/Journaux.h"

class QTextDocument;

// The readers behind lireDocument. Each fills an empty document and throws
// Erreur::lecture(nom) on anything it cannot make sense of.
namespace Conversions {

void lireRtf(const QByteArray& rtf, QTextDocument* document, const QString& nom);
// A Word or OpenDocument package, the parts it needs taken out of the zip first.
using Parties = QHash<QString, QByteArray>;
const QSet<QString>& partiesDocx();
const QSet<QString>& partiesOdt();
// The parts that a Word package's relationships name (its main part, whatever its name, and
// what that part relates to) and that `parties` does not hold yet; none for other packages.
QSet<QString> partiesDocxManquantes(const Parties& parties);
// The content parts of the objects (formulas) that an OpenDocument text embeds and that
// `parties` does not hold yet; none for other packages.
QSet<QString> partiesOdtManquantes(const Parties& parties);
// False when the parts are not of that format.
bool lireDocx(const Parties& parties, QTextDocument* document, const QString& nom);
bool lireOdt(const Parties& parties, QTextDocument* document, const QString& nom);

// Runs a package's reader: what it complains of (a QString) goes to the log, and the
// user gets Erreur::lecture(nom).
template <typename Lecture>
void lirePaquet(const QString& nom, Lecture&& lecture)
{
    try {
        lecture();
    } catch (const QString& raison) {
        qCWarning(journalDocuments).noquote() << nom + QStringLiteral(" : ") + raison;
        throw Erreur::lecture(nom);
    }
}

// Biggest part of a package we inflate (a zip bomb stops there).
constexpr qint64 plafondXml = 128 * 1024 * 1024;

} // namespace Conversions
