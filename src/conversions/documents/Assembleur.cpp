#include "conversions/documents/Assembleur.h"

#include "conversions/Erreur.h"
#include "conversions/JournalMoteur.h"

#include <QTextDocument>

namespace Conversions {

namespace {

// Characters of text, in UTF-16 units (64 MB): far beyond any real document.
constexpr qsizetype plafondTexte = 32 * 1024 * 1024;
// Each family costs a font lookup wherever the text is laid out; only hostile files have
// hundreds. Past this, runs keep the default font.
constexpr qsizetype famillesMax = 256;

} // namespace

// The whole reading is one edit: otherwise each insertion lays the paragraph out again.
Assembleur::Assembleur(QTextDocument* document, const QString& nom) : curseur_(document), nom_(nom)
{
    curseur_.beginEditBlock();
}

Assembleur::~Assembleur()
{
    if (ouvert_)
        curseur_.endEditBlock();
}

void Assembleur::texte(const QString& morceau, const QTextCharFormat& format)
{
    if (morceau.isEmpty())
        return;
    compter(morceau.size());
    const QTextCharFormat f = partage(format);
    if (f != format_)
        vider();
    format_ = f;
    attente_ += morceau;
    premier_ = false;
    blocVide_ = false;
}

void Assembleur::paragraphe()
{
    compter(1);
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

void Assembleur::terminer()
{
    vider();
    if (ouvert_)
        curseur_.endEditBlock();
    ouvert_ = false;
}

void Assembleur::compter(qsizetype caracteres)
{
    total_ += caracteres;
    if (total_ <= plafondTexte)
        return;
    if (journalDetails)
        journalDetails(nom_ + QStringLiteral(" : texte trop long"));
    throw Erreur::lecture(nom_);
}

QTextCharFormat Assembleur::partage(const QTextCharFormat& format)
{
    const QStringList familles = format.fontFamilies().toStringList();
    if (familles.isEmpty() || familles_.contains(familles.first()))
        return format;
    if (familles_.size() < famillesMax) {
        familles_.insert(familles.first());
        return format;
    }
    QTextCharFormat f = format;
    f.clearProperty(QTextFormat::FontFamilies);
    return f;
}

void Assembleur::vider()
{
    if (attente_.isEmpty())
        return;
    curseur_.insertText(attente_, format_);
    attente_.clear();
}

} // namespace Conversions
