#pragma once

#include "conversions/documents/Listes.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>

#include <array>

namespace Conversions {

// word/numbering.xml: the list definitions, and the counters of the lists as the body
// goes through them.
class NumerosDocx {
public:
    // Throws the XML reader's complaint (a QString).
    void lire(const QByteArray& xml);
    // The marker of the next item of list `numId` at level `niveau` ("3.", "b)", "•"), with
    // the blanks of its level; empty when the list is unknown.
    QString marque(const QString& numId, int niveau);

private:
    struct Niveau {
        Numerotation numerotation = Numerotation::decimal;
        QString texte = QStringLiteral("%1.");
        int debut = 1;
    };
    using Niveaux = std::array<Niveau, niveauxDeListe>;
    struct Liste {
        QString abstrait;
        std::array<int, niveauxDeListe> debuts{};  // 0: the definition's own start
    };

    QHash<QString, Niveaux> abstraits_;
    QHash<QString, Liste> listes_;
    QHash<QString, std::array<int, niveauxDeListe>> compteurs_;  // by definition
    QSet<QString> entamees_;
};

} // namespace Conversions
