#pragma once

#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>

class QTextDocument;

namespace Conversions {

// Fills a rich text run by run, as the readers walk their format: text is gathered while
// the format stays the same and inserted in one piece (a run per character would be slow).
class Assembleur {
public:
    explicit Assembleur(QTextDocument* document);

    void texte(const QString& morceau, const QTextCharFormat& format);
    // Starts a paragraph; the first call uses the document's first block.
    void paragraphe();
    // The next text starts on a new page, in a paragraph of its own.
    void sautDePage();
    // Inserts what is gathered; call it once at the end.
    void terminer();

private:
    void vider();

    QTextCursor curseur_;
    QString attente_;
    QTextCharFormat format_;
    bool premier_ = true;
    bool blocVide_ = true;
};

} // namespace Conversions
