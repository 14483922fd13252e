#include "conversions/documents/Assembleur.h"

#include "conversions/Erreur.h"
#include "conversions/Journaux.h"

#include "conversions/documents/Documents.h"
#include "conversions/documents/ImageDocument.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QUrl>

namespace Conversions {

namespace {

// Characters of text, in UTF-16 units (32 MB): five times the longest novels.
constexpr qsizetype plafondTexte = 16 * 1024 * 1024;
// Each family costs a font lookup wherever the text is laid out; only hostile files have
// hundreds. Past this, runs keep the default font.
constexpr qsizetype famillesMax = 256;
constexpr qsizetype poidsDUnePage = 2000;

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
    // A break weighs as a page of text: empty pages cost the layout as much.
    compter(poidsDUnePage);
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

bool Assembleur::image(const QString& partie, const QByteArray& octets, QSizeF taille,
                       const QTextCharFormat& format)
{
    QTextDocument* document = curseur_.document();
    const QUrl adresse(QStringLiteral("image:") + partie);
    if (!document->resource(QTextDocument::ImageResource, adresse).isValid()) {
        const std::optional<ImageDocument> lue = lireImageDocument(octets);
        if (!lue)
            return false;
        document->addResource(QTextDocument::ImageResource, adresse, lue->octets);
        tailles_.insert(partie, QSizeF(lue->pixels) * 0.75);
    }
    if (taille.isEmpty())
        taille = tailles_.value(partie);
    const QSizeF cadre(largeurA4 - 2 * margeA4, hauteurA4 - 2 * margeA4);
    if (taille.width() > cadre.width() || taille.height() > cadre.height())
        taille.scale(cadre, Qt::KeepAspectRatio);
    compter(1);
    vider();
    QTextImageFormat f;
    f.merge(format);
    f.setName(adresse.toString());
    f.setWidth(taille.width());
    f.setHeight(taille.height());
    curseur_.insertImage(f);
    premier_ = false;
    blocVide_ = false;
    return true;
}

void Assembleur::annexer(const QTextDocument& annexe)
{
    if (annexe.isEmpty())
        return;
    vider();
    paragraphe();
    compter(annexe.characterCount());
    // The pictures of the notes come along with them.
    for (QTextBlock b = annexe.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isImageFormat()) {
                const QUrl adresse(it.fragment().charFormat().toImageFormat().name());
                curseur_.document()->addResource(QTextDocument::ImageResource, adresse,
                                                 annexe.resource(QTextDocument::ImageResource, adresse));
            }
    curseur_.insertFragment(QTextDocumentFragment(&annexe));
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
    qCWarning(journalDocuments).noquote() << nom_ + QStringLiteral(" : texte trop long");
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
