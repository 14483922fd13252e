#pragma once

#include <QColor>
#include <QString>
#include <QTextCharFormat>
#include <QXmlStreamReader>
#include <optional>

namespace Conversions {

// Character properties as the styles of a package give them: each one set or left to what
// lies beneath (document defaults, then paragraph style, then character style, then the run).
struct MiseEnForme {
    std::optional<bool> gras, italique, souligne;
    std::optional<double> taille;     // points
    std::optional<QColor> couleur;    // invalid: automatic
    std::optional<QString> police;
    bool sautAvant = false;           // paragraphs: starts on a new page

    // `dessus` wins wherever it says something.
    void recouvrir(const MiseEnForme& dessus);
    QTextCharFormat format() const;
};

// An XML on/off value: absent or anything but "0", "false", "off", "none" is on.
bool active(QStringView valeur);

// Calls `debut` on every element inside the one the reader stands on, at any depth; the
// reader ends on that element's end.
template <typename Debut>
void pourChaqueDescendant(QXmlStreamReader& x, Debut&& debut)
{
    for (int profondeur = 1; profondeur > 0 && !x.atEnd();) {
        const auto jeton = x.readNext();
        if (jeton == QXmlStreamReader::EndElement) {
            --profondeur;
        } else if (jeton == QXmlStreamReader::StartElement) {
            ++profondeur;
            debut();
        }
    }
}

// The attribute `nom` of the element, whatever its namespace.
QString attributSansEspace(const QXmlStreamReader& x, QStringView nom);

} // namespace Conversions
