#include "conversions/pdf/Pdf.h"

#include "conversions/Chemins.h"
#include "conversions/pdf/PdfStructure.h"
#include "conversions/Sortie.h"

#include <QCoreApplication>
#include <QFileInfo>

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
    QStringList crees;
    for (int i = 0; i < pages; ++i) {
        Sortie sortie = Sortie::apres(source, nomDePage(i + 1), QStringLiteral("pdf"));
        Assemblage page;
        page.ajouter(document, i, nom);
        crees.append(page.ecrire(sortie));
    }
    return crees;
}

} // namespace Conversions
