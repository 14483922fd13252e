#include "conversions/pdf/Pdf.h"

#include "conversions/Chemins.h"
#include "conversions/documents/Documents.h"
#include "conversions/images/Images.h"
#include "conversions/pdf/PagesEnImages.h"
#include "conversions/pdf/PdfRendu.h"
#include "conversions/Sortie.h"

#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QTextCursor>
#include <QTextDocument>

namespace Conversions {

namespace {

void ecrireFichier(const QByteArray& octets, Sortie& sortie)
{
    QFile f(sortie.temporaire());
    if (!f.open(QIODevice::WriteOnly) || f.write(octets) != octets.size() || !f.flush())
        throw Erreur::ecriture(sortie.nom());
    f.close();
}

// The text layer, or, when it holds nothing but blanks, what recognition reads on the
// drawn pages, an empty line between two pages.
QString texteDuPdf(const PdfRendu& pdf)
{
    QString texte;
    for (int i = 0; i < pdf.pages(); ++i) {
        if (i > 0)
            texte += QLatin1Char('\n');
        texte += pdf.texte(i);
    }
    if (!texte.trimmed().isEmpty())
        return texte;
    QStringList lus;
    // One page in memory at a time: a long scan would otherwise take gigabytes.
    for (int i = 0; i < pdf.pages(); ++i)
        lus.append(lireTexte(pdf.rendre(i)));
    return lus.join(QStringLiteral("\n\n"));
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
    for (int i = 0; i < pdf.pages(); ++i) {
        // A page ends its paragraph, so the next page's text never runs on from it.
        QString texte = pdf.texte(i);
        while (texte.endsWith(QLatin1Char('\n')))
            texte.chop(1);
        if (i + 1 < pdf.pages())
            texte += (texte.isEmpty() ? QString() : QStringLiteral("\n")) + QChar(0x000C);
        curseur.insertText(texte, format);
    }
    return enWord(document);
}

QStringList pagesEnImages(const QString& source, const PdfRendu& pdf, const QString& cible)
{
    const int n = pdf.pages();
    EcrituresDePages ecritures(cible);
    for (int i = 0; i < n; ++i) {
        QImage page;
        try {
            page = pdf.dessiner(i);
        } catch (...) {
            ecritures.finir();  // an earlier page's failure came first
            throw;
        }
        ecritures.ajouter(std::move(page), [&] {
            return Sortie::apres(source, n == 1 ? QString() : nomDePage(i + 1), cible);
        });
    }
    return ecritures.finir();
}

} // namespace

QStringList pdf(const QString& source, const QString& cible)
{
    const PdfRendu document(source);
    if (cible == QLatin1String("txt")) {
        const QString texte = texteDuPdf(document);
        Sortie sortie = Sortie::apres(source, {}, cible);
        ecrireFichier(texte.toUtf8(), sortie);
        return {sortie.valider()};
    }
    if (cible == QLatin1String("docx")) {
        const QByteArray word = wordDuPdf(document);
        Sortie sortie = Sortie::apres(source, {}, cible);
        ecrireFichier(word, sortie);
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
