#pragma once

#include "conversions/documents/Listes.h"

#include <QHash>
#include <QString>

#include <array>
#include <vector>

class QXmlStreamReader;

namespace Conversions {

// OpenDocument lists: their styles (text:list-style), and the counters of the lists the
// text goes through.
class ListesOdt {
public:
    // On a text:list-style's start; ends on its end.
    void lireStyle(QXmlStreamReader& x);

    // A text:list starts: its own style, or its parent's; `suite`: text:continue-numbering.
    void ouvrir(const QString& style, bool suite);
    void fermer();
    // A text:list-item starts: its marker ("2.", "•"), with the blanks of its level.
    QString article();

private:
    struct Niveau {
        Numerotation numerotation = Numerotation::puce;
        QString puce, prefixe, suffixe;
        int debut = 1;
        int niveauxMontres = 1;
    };
    using Style = std::array<Niveau, niveauxDeListe>;

    QHash<QString, Style> styles_;
    struct Ouverte {
        QString style;
        int premierNiveau;  // where that style began: a nested list of another style counts from 0
    };
    std::vector<Ouverte> ouvertes_;  // outermost first
    std::array<int, niveauxDeListe> compteurs_{};
};

} // namespace Conversions
