#include "conversions/pdf/Pdf.h"

#include "conversions/Catalogue.h"
#include "conversions/Chemins.h"
#include "conversions/pdf/PdfImages.h"
#include "conversions/pdf/PdfStructure.h"
#include "conversions/sorties/Sortie.h"

#include <QFileInfo>

namespace Conversions {

QString reunir(const QStringList& chemins, const Progression& progression)
{
    if (chemins.isEmpty())
        throw Erreur::lecture(QString());
    const QFileInfo premier(chemins.first());
    // "autres" stays plural even for one: the catalogue may choose otherwise.
    Sortie sortie(premier.absolutePath(), nomDeLot(premier.completeBaseName(), chemins.size() - 1),
                  QStringLiteral("pdf"));
    Assemblage pdf;
    const auto n = static_cast<double>(chemins.size());
    for (qsizetype i = 0; i < chemins.size(); ++i) {
        const QString& chemin = chemins[i];
        if (genre(chemin) == Genre::image)
            ajouterImage(pdf, chemin);
        else
            pdf.ajouter(ouvrirStructure(chemin), nomDe(chemin));
        if (progression)
            progression(static_cast<double>(i + 1) / n * 0.8);
    }
    return pdf.ecrire(sortie);
}

} // namespace Conversions
