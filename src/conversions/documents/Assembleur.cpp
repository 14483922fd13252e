#include "conversions/documents/Assembleur.h"

#include <QTextDocument>

namespace Conversions {

Assembleur::Assembleur(QTextDocument* document) : curseur_(document) {}

void Assembleur::texte(const QString& morceau, const QTextCharFormat& format)
{
    if (morceau.isEmpty())
        return;
    if (format != format_)
        vider();
    format_ = format;
    attente_ += morceau;
    premier_ = false;
    blocVide_ = false;
}

void Assembleur::paragraphe()
{
    vider();
    if (!premier_)
        curseur_.insertBlock(QTextBlockFormat(), format_);
    premier_ = false;
    blocVide_ = true;
}

void Assembleur::sautDePage()
{
    vider();
    // Two breaks in a row leave an empty page between them.
    const bool dejaSaut = curseur_.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore;
    if (!blocVide_ || dejaSaut)
        curseur_.insertBlock(QTextBlockFormat(), format_);
    QTextBlockFormat f = curseur_.blockFormat();
    f.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    curseur_.setBlockFormat(f);
    premier_ = false;
    blocVide_ = true;
}

void Assembleur::terminer() { vider(); }

void Assembleur::vider()
{
    if (attente_.isEmpty())
        return;
    curseur_.insertText(attente_, format_);
    attente_.clear();
}

} // namespace Conversions
