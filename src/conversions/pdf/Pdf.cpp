#include "conversions/pdf/Pdf.h"

#include "conversions/Chemins.h"
#include "conversions/documents/Documents.h"
#include "conversions/images/Images.h"
#include "conversions/EnParallele.h"
#include "conversions/pdf/PagesEnImages.h"
#include "conversions/pdf/PdfRendu.h"
#include "conversions/FichierDeSortie.h"
#include "conversions/Sortie.h"

#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QTextCursor>
#include <QTextDocument>
#include <vector>

namespace Conversions {

namespace {

// Each page's text layer, or, when it holds nothing but blanks (a scanned page), what
// recognition reads on the drawn page; several pages are recognised at once.
std::vector<QString> textesDesPages(const PdfRendu& pdf)
{
    const QStringList couche = pdf.textes();
    std::vector<QString> textes(couche.cbegin(), couche.cend());
    std::vector<int> scannees;
    for (int i = 0; i < pdf.pages(); ++i)
        if (textes[static_cast<size_t>(i)].trimmed().isEmpty())
            scannees.push_back(i);
    const int n = static_cast<int>(scannees.size());
    enParallele(n, n < 2 ? 1 : coeursLibres(), [&](int k) {
        const int i = scannees[static_cast<size_t>(k)];
        textes[static_cast<size_t>(i)] = lireTexte(pdf.rendre(i), 300);
    });
    for (QString& t : textes)
        while (t.endsWith(QLatin1Char('\n')))
            t.chop(1);
    return textes;
}

// The pages' texts, an empty line between two pages.
QString texteDuPdf(const PdfRendu& pdf)
{
    const std::vector<QString> pages = textesDesPages(pdf);
    return QStringList(pages.cbegin(), pages.cend()).join(QStringLiteral("\n\n"));
}

// The pages' text in Helvetica 12, a form feed between two pages.
QByteArray wordDuPdf(const PdfRendu& pdf)
{
    QTextDocument document;
    document.setUndoRedoEnabled(false);
    const QFont helvetica(QStringLiteral("Helvetica"), 12);
    document.setDefaultFont(helvetica);
    QTextCharFormat format;
    format.setFontFamilies({helvetica.family()});
    format.setFontPointSize(12);
    QTextCursor curseur(&document);
    curseur.setBlockCharFormat(format);
    const std::vector<QString> textes = textesDesPages(pdf);
    for (size_t i = 0; i < textes.size(); ++i) {
        // A page ends its paragraph, so the next page's text never runs on from it.
        QString texte = textes[i];
        if (i + 1 < textes.size())
            texte += (texte.isEmpty() ? QString() : QStringLiteral("\n")) + QChar(0x000C);
        curseur.insertText(texte, format);
    }
    return enWord(document);
}

} // namespace

QStringList pdf(const QString& source, const QString& cible)
{
    const PdfRendu document(source);
    if (cible == QLatin1String("txt")) {
        const QString texte = texteDuPdf(document);
        Sortie sortie = Sortie::apres(source, {}, cible);
        ecrireDans(sortie, texte.toUtf8());
        return {sortie.valider()};
    }
    if (cible == QLatin1String("docx")) {
        const QByteArray word = wordDuPdf(document);
        Sortie sortie = Sortie::apres(source, {}, cible);
        ecrireDans(sortie, word);
        return {sortie.valider()};
    }
    if (cible == QLatin1String("jpg") || cible == QLatin1String("png"))
        return pagesEnImages(source, document, cible);
    // No writer for that format: the first page's file cannot be made.
    const QFileInfo info(source);
    const QString premiere = info.completeBaseName() + (document.pages() == 1 ? QString() : nomDePage(1));
    throw Erreur::ecriture(nomDe(nomLibre(info.absolutePath(), premiere, cible)));
}

} // namespace Conversions
