#include "conversions/pdf/Pdf.h"

#include "conversions/Chemins.h"
#include "conversions/documents/Documents.h"
#include "conversions/images/Images.h"
#include "conversions/travail/EnParallele.h"
#include "conversions/pdf/PagesEnImages.h"
#include "conversions/pdf/PdfRendu.h"
#include "conversions/sorties/FichierDeSortie.h"
#include "conversions/sorties/Sortie.h"

#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QTextCursor>
#include <QTextDocument>
#include <iterator>
#include <vector>

namespace Conversions {

namespace {

// Each page's text layer, or, when it holds nothing but blanks (a scanned page), what
// recognition reads on the drawn page; several pages are recognised at once.
std::vector<QString> textesDesPages(const PdfRendu& pdf)
{
    QStringList couche = pdf.textes();
    // Moved, not shared: a page trimmed below would otherwise be copied whole.
    std::vector<QString> textes(std::make_move_iterator(couche.begin()), std::make_move_iterator(couche.end()));
    couche.clear();
    std::vector<int> scannees;
    for (int i = 0; i < pdf.pages(); ++i)
        if (textes[static_cast<size_t>(i)].trimmed().isEmpty())
            scannees.push_back(i);
    const int n = static_cast<int>(scannees.size());
    enParallele(n, n < 2 ? 1 : coeursLibres(), [&](int k) {
        const int i = scannees[static_cast<size_t>(k)];
        textes[static_cast<size_t>(i)] = lireTexte(pdf.rendre(i), pdf.resolution(i));
    });
    for (QString& t : textes)
        while (t.endsWith(QLatin1Char('\n')))
            t.chop(1);
    return textes;
}

// The pages' texts, an empty line between two pages, written page by page: the document's
// text is held once, as its pages.
void ecrireTexte(const std::vector<QString>& pages, const Sortie& sortie)
{
    FichierDeSortie fichier(sortie);
    for (size_t i = 0; i < pages.size(); ++i) {
        if (i > 0)
            fichier.ecrire("\n\n", 2);
        fichier.ecrire(pages[i].toUtf8());
    }
    fichier.fermer();
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
    std::vector<QString> textes = textesDesPages(pdf);
    for (size_t i = 0; i < textes.size(); ++i) {
        // A page ends its paragraph, so the next page's text never runs on from it. Each page
        // leaves the list as it enters the document.
        QString texte = std::move(textes[i]);
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
        const std::vector<QString> pages = textesDesPages(document);
        Sortie sortie = Sortie::apres(source, {}, cible);
        ecrireTexte(pages, sortie);
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
