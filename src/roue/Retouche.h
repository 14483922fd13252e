#pragma once

#include "conversions/Catalogue.h"

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <array>
#include <optional>

namespace Roue {

// The edit offer for one dragged image or PDF: its tools, the sibling application they
// belong to, and the colours the wheel draws it with.
struct Retouche {
    struct Outil {
        QString cle;      // routing word, and the "nom" item of the link
        QString titre;    // label under the symbol in the arc
        QString symbole;  // icon name
        QString phrase;   // what the mascot says while it is hovered
        bool operator==(const Outil&) const = default;
    };

    QString nom;                  // the sibling application's display name
    QString schema;               // its URL scheme
    std::optional<QString> app;   // its desktop entry file, none when not installed
    QList<Outil> outils;          // arc order, slot 0 most anticlockwise
    std::array<QColor, 3> teinte; // gradient of the lit "Modifier" petal
    QColor cellule;               // fill of the hovered tool's cell

    bool operator==(const Retouche&) const = default;

    // The offer for the dragged files: one image or one PDF, none otherwise. The sibling
    // application is looked up again on every call.
    static std::optional<Retouche> pour(const QStringList& chemins);

    // The two offers with a given sibling application location (no look-up).
    static Retouche offrePDF(std::optional<QString> app = std::nullopt);
    static Retouche offreImage(std::optional<QString> app = std::nullopt);

    // The desktop identifiers the two sibling applications are found by.
    static QString identifiantPDF();
    static QString identifiantImage();

    // Keys whose tool windows the application opens itself.
    static bool interne(const QString& cle);

    Conversions::Petale petale() const;    // the "Modifier" petal
    bool toutInterne() const; // every tool opens in the application itself
    QString etiquette() const; // title over the tools arc

    // scheme://outil?nom=<cle>&fichier=<path>; none when no valid URL comes out.
    std::optional<QUrl> lien(const Outil& outil, const QString& fichier) const;
};

} // namespace Roue
