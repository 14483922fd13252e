#include "conversions/pdf/Pdf.h"

#include "conversions/Chemins.h"
#include "conversions/pdf/PdfStructure.h"
#include "conversions/sorties/Sortie.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <memory>
#include <vector>

#include <qpdf/QPDF.hh>

namespace Conversions {

QString nomDePage(int numero)
{
    return QCoreApplication::translate("Conversions", " page %1").arg(numero);
}

QStringList separer(const QString& source)
{
    const QString nom = nomDe(source);
    const std::shared_ptr<QPDF> document = ouvrirStructure(source);
    const int pages = static_cast<int>(document->getAllPages().size());
    // Every page is written before any bears its name: a failure keeps none of them.
    std::vector<std::unique_ptr<Sortie>> sorties;
    for (int i = 0; i < pages; ++i) {
        sorties.push_back(std::make_unique<Sortie>(Sortie::apres(source, nomDePage(i + 1), QStringLiteral("pdf"))));
        Assemblage page;
        page.ajouter(document, i, nom);
        page.enregistrer(*sorties.back());
    }
    return validerTout(sorties);
}

} // namespace Conversions
